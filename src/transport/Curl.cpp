#include "Curl.h"

#include "TransportError.h"

#include <curl/curl.h>
#include <mutex>

namespace {

void initialiseOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

size_t writeCallback(char *data, size_t size, size_t count, void *sink)
{
    const auto &take = *static_cast<const std::function<bool(const char *, size_t)> *>(sink);
    return take(data, size * count) ? size * count : 0;
}

} // namespace

CurlHandle::CurlHandle(const std::atomic_bool &cancel, Progress progress)
    : m_curl(nullptr), m_cancel(cancel), m_progress(std::move(progress))
{
    initialiseOnce();
    m_curl = curl_easy_init();
    if (!m_curl)
        throw TransportError(QStringLiteral("无法建立网络连接。"),
                             QStringLiteral("curl_easy_init"));
    curl_easy_setopt(m_curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(m_curl, CURLOPT_CONNECTTIMEOUT, 15L);
    // A stalled server ends the transfer after a minute without a byte.
    curl_easy_setopt(m_curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(m_curl, CURLOPT_LOW_SPEED_TIME, 60L);
    curl_easy_setopt(m_curl, CURLOPT_ERRORBUFFER, m_error);
    curl_easy_setopt(m_curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(m_curl, CURLOPT_XFERINFOFUNCTION, &CurlHandle::progressCallback);
    curl_easy_setopt(m_curl, CURLOPT_XFERINFODATA, this);
}

CurlHandle::~CurlHandle()
{
    curl_easy_cleanup(m_curl);
}

int CurlHandle::progressCallback(void *self, long long dltotal, long long dlnow, long long,
                                 long long)
{
    auto *handle = static_cast<CurlHandle *>(self);
    if (handle->m_cancel)
        return 1;
    if (handle->m_progress)
        handle->m_progress(dlnow, dltotal);
    return 0;
}

void CurlHandle::perform(const QString &failureMessage)
{
    const CURLcode code = curl_easy_perform(m_curl);
    if (code == CURLE_OK)
        return;
    if (code == CURLE_ABORTED_BY_CALLBACK && m_cancel)
        throw TransferCancelled();
    const QString detail = QString::fromUtf8(m_error[0] ? m_error : curl_easy_strerror(code));
    if (code == CURLE_LOGIN_DENIED)
        throw TransportError(QStringLiteral("邮件服务器拒绝登录，请检查邮件帐号设置。"), detail);
    throw TransportError(failureMessage, detail);
}

void httpGet(const QString &url, const std::atomic_bool &cancel,
             const std::function<bool(const char *, size_t)> &sink,
             const CurlHandle::Progress &progress)
{
    CurlHandle curl(cancel, progress);
    const QByteArray address = url.toUtf8();
    curl_easy_setopt(curl.get(), CURLOPT_URL, address.constData());
    curl_easy_setopt(curl.get(), CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(curl.get(), CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl.get(), CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl.get(), CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, &writeCallback);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &sink);
    curl.perform(QStringLiteral("无法连接服务器 %1。").arg(url));
}
