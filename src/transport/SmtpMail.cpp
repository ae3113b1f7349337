#include "SmtpMail.h"

#include "Curl.h"

#include <curl/curl.h>
#include <memory>

namespace {

struct Reader {
    QByteArray data;
    qsizetype offset = 0;
};

size_t readCallback(char *buffer, size_t size, size_t count, void *source)
{
    auto *reader = static_cast<Reader *>(source);
    const size_t n = std::min(size * count, size_t(reader->data.size() - reader->offset));
    memcpy(buffer, reader->data.constData() + reader->offset, n);
    reader->offset += qsizetype(n);
    return n;
}

} // namespace

void sendMail(const SmtpAccount &account, const MailMessage &message,
              const std::atomic_bool &cancel)
{
    Reader reader{message.toBytes()};
    CurlHandle curl(cancel, {});
    CURL *c = curl.get();
    const QByteArray url =
        QStringLiteral("smtp://%1:%2").arg(account.server).arg(account.port).toUtf8();
    const QByteArray user = account.user.toUtf8(), password = account.password.toUtf8();
    const QByteArray from = "<" + message.fromAddress.toUtf8() + ">";
    const QByteArray to = "<" + message.toAddress.toUtf8() + ">";
    const QByteArray caFile = account.caFile.toLocal8Bit();
    curl_easy_setopt(c, CURLOPT_URL, url.constData());
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "smtp");
    curl_easy_setopt(c, CURLOPT_USE_SSL, long(CURLUSESSL_TRY));
    if (!caFile.isEmpty())
        curl_easy_setopt(c, CURLOPT_CAINFO, caFile.constData());
    curl_easy_setopt(c, CURLOPT_USERNAME, user.constData());
    curl_easy_setopt(c, CURLOPT_PASSWORD, password.constData());
    curl_easy_setopt(c, CURLOPT_LOGIN_OPTIONS, "AUTH=LOGIN");
    curl_easy_setopt(c, CURLOPT_MAIL_FROM, from.constData());
    const std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> recipients(
        curl_slist_append(nullptr, to.constData()), &curl_slist_free_all);
    curl_easy_setopt(c, CURLOPT_MAIL_RCPT, recipients.get());
    curl_easy_setopt(c, CURLOPT_READFUNCTION, &readCallback);
    curl_easy_setopt(c, CURLOPT_READDATA, &reader);
    curl_easy_setopt(c, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(c, CURLOPT_TIMEOUT, 120L);
    curl.perform(QStringLiteral("邮件发送失败，请检查网络连接。"));
}
