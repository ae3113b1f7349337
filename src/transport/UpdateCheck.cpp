#include "UpdateCheck.h"

#include "BackgroundTransfer.h"
#include "Curl.h"
#include "TransportError.h"

UpdateCheck::UpdateCheck(QObject *parent)
    : QObject(parent), m_transfer(new BackgroundTransfer(this))
{
    connect(m_transfer, &BackgroundTransfer::finished, this,
            [this](bool ok, bool, const QString &message, const QString &detail) {
                if (!ok)
                    Q_EMIT failed(message, detail);
                else if (isNewerVersion(m_found.version, m_currentVersion))
                    Q_EMIT newerVersion(m_found);
                else
                    Q_EMIT upToDate();
            });
}

bool UpdateCheck::isRunning() const
{
    return m_transfer->isRunning();
}

bool UpdateCheck::start(const QString &versionFileUrl, const QString &currentVersion)
{
    if (isRunning())
        return false;
    m_currentVersion = currentVersion;
    m_transfer->start([this, versionFileUrl](const std::atomic_bool &cancel,
                                             const BackgroundTransfer::Progress &) {
        QByteArray file;
        const auto take = [&file](const char *data, size_t size) {
            file.append(data, qsizetype(size));
            return file.size() <= VersionAnnouncement::MaxFileBytes;
        };
        httpGet(versionFileUrl, cancel, take);
        m_found = VersionAnnouncement::parse(file);
    });
    return true;
}
