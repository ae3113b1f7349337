#pragma once

#include <QString>
#include <atomic>
#include <functional>

typedef void CURL;

// One libcurl transfer handle, with the settings every transfer of the program shares:
// no signals (transfers run on threads of their own), bounded connect time, and a progress
// callback that reports and stops the transfer when cancel is set.
class CurlHandle {
public:
    using Progress = std::function<void(qint64 done, qint64 total)>;

    CurlHandle(const std::atomic_bool &cancel, Progress progress);
    ~CurlHandle();
    CurlHandle(const CurlHandle &) = delete;
    CurlHandle &operator=(const CurlHandle &) = delete;

    CURL *get() const { return m_curl; }
    // Runs the transfer; throws TransportError with failureMessage when it does not
    // complete, TransferCancelled when cancel stopped it.
    void perform(const QString &failureMessage);

private:
    CURL *m_curl;
    const std::atomic_bool &m_cancel;
    Progress m_progress;
    char m_error[256] = {};

    static int progressCallback(void *self, long long dltotal, long long dlnow, long long ultotal,
                                long long ulnow);
};

// Fetches url, handing each arriving piece of the body to sink, which returns false to stop
// the transfer as failed. HTTP errors (4xx, 5xx)
// count as failures. Throws TransportError.
void httpGet(const QString &url, const std::atomic_bool &cancel,
             const std::function<bool(const char *data, size_t size)> &sink,
             const CurlHandle::Progress &progress = {});
