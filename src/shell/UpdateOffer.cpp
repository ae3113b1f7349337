#include "UpdateOffer.h"

#include "transport/UpdateCheck.h"
#include "transport/UpdateDownload.h"
#include "widgets/Messages.h"

#include <QCoreApplication>
#include <QProgressDialog>

UpdateOffer::UpdateOffer(QWidget *window)
    : QObject(window), m_window(window), m_check(new UpdateCheck(this)),
      m_programFile(QCoreApplication::applicationFilePath())
{
    setObjectName(QStringLiteral("auAutoUpgrader1"));
    connect(m_check, &UpdateCheck::newerVersion, this, &UpdateOffer::offer);
    connect(m_check, &UpdateCheck::upToDate, this, [this] {
        if (m_asked)
            Messages::information(m_window, QStringLiteral("您使用的已是最新版本。"));
        Q_EMIT done();
    });
    connect(m_check, &UpdateCheck::failed, this, &UpdateOffer::done);
}

void UpdateOffer::start(const QString &versionFileUrl, bool asked)
{
    if (m_check->isRunning() || m_download)
        return;
    m_asked = asked;
    m_check->start(versionFileUrl, QStringLiteral(QUILLET_VERSION));
}

void UpdateOffer::offer(const VersionAnnouncement &announcement)
{
    if (!Messages::askYesNo(m_window,
                            QStringLiteral("发现新版本 V%1（当前版本 V%2），是否现在下载？")
                                .arg(announcement.version, QStringLiteral(QUILLET_VERSION)))) {
        Q_EMIT done();
        return;
    }
    m_download = new UpdateDownload(announcement, m_programFile, this);
    m_progress =
        new QProgressDialog(QStringLiteral("正在下载新版本 V%1...").arg(announcement.version),
                            QStringLiteral("取消"), 0, 1000, m_window);
    m_progress->setObjectName(QStringLiteral("dlgUpdateProgress"));
    m_progress->setWindowTitle(QStringLiteral("检测更新"));
    m_progress->setAutoClose(false);
    m_progress->setAutoReset(false);
    m_progress->setMinimumDuration(0);
    connect(m_progress, &QProgressDialog::canceled, m_download, &UpdateDownload::cancel);
    connect(m_download, &UpdateDownload::progress, m_progress, [this](qint64 got, qint64 total) {
        if (total > 0)
            m_progress->setValue(int(got * 1000 / total));
    });
    connect(m_download, &UpdateDownload::finished, this, &UpdateOffer::downloadFinished);
    m_progress->show();
    m_download->start();
}

void UpdateOffer::downloadFinished(bool installed, const QString &message, const QString &)
{
    delete m_progress;
    m_download->deleteLater();
    if (installed)
        Messages::information(m_window,
                              QStringLiteral("新版本已下载并校验无误，重新启动程序后即可使用。"));
    else if (!message.isEmpty())
        Messages::error(m_window, message);
    Q_EMIT done();
}
