#include "UpdateDownload.h"

#include "BackgroundTransfer.h"
#include "Curl.h"
#include "TransportError.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>

UpdateDownload::UpdateDownload(const VersionAnnouncement &announcement, const QString &programFile,
                               QObject *parent)
    : QObject(parent), m_transfer(new BackgroundTransfer(this)), m_announcement(announcement),
      m_programFile(programFile)
{
    connect(m_transfer, &BackgroundTransfer::progress, this, &UpdateDownload::progress);
    connect(m_transfer, &BackgroundTransfer::finished, this,
            [this](bool ok, bool cancelled, const QString &message, const QString &detail) {
                Q_EMIT finished(ok, cancelled ? QString() : message, detail);
            });
}

QString UpdateDownload::partialFileOf(const QString &programFile)
{
    return programFile + QStringLiteral(".download");
}

void UpdateDownload::cancel()
{
    m_transfer->cancel();
}

void UpdateDownload::start()
{
    m_transfer->start(
        [this](const std::atomic_bool &cancel, const BackgroundTransfer::Progress &progress) {
            const QString partial = partialFileOf(m_programFile);
            QFile file(partial);
            if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
                throw TransportError(QStringLiteral("无法写入新版本文件 %1。").arg(partial),
                                     file.errorString());
            QCryptographicHash hash(QCryptographicHash::Sha256);
            const auto take = [&](const char *data, size_t size) {
                hash.addData(QByteArrayView(data, qsizetype(size)));
                return file.write(data, qint64(size)) == qint64(size);
            };
            try {
                httpGet(m_announcement.programUrl.toString(), cancel, take, progress);
                if (!file.flush())
                    throw TransportError(QStringLiteral("无法写入新版本文件 %1。").arg(partial),
                                         file.errorString());
                file.close();
                if (hash.result() != m_announcement.sha256)
                    throw TransportError(
                        QStringLiteral("下载的新版本文件校验不符，可能已损坏或被篡改，已丢弃。"),
                        QStringLiteral("sha256 %1, announced %2")
                            .arg(QString::fromLatin1(hash.result().toHex()),
                                 QString::fromLatin1(m_announcement.sha256.toHex())));
                replaceProgramFile(partial, m_programFile);
            } catch (...) {
                file.close();
                QFile::remove(partial);
                throw;
            }
        });
}

void replaceProgramFile(const QString &newFile, const QString &programFile)
{
    QFile::Permissions permissions = QFileInfo(programFile).permissions();
    permissions |= QFile::ExeOwner | QFile::ReadOwner | QFile::WriteOwner;
    QFile::setPermissions(newFile, permissions);
    // rename() replaces the directory entry at once: the program file is either the old one
    // or the new one, never a part of either. The running program keeps its open copy.
    if (std::rename(QFile::encodeName(newFile).constData(),
                    QFile::encodeName(programFile).constData()) != 0)
        throw TransportError(
            QStringLiteral("无法替换程序文件 %1，原程序保持不变。").arg(programFile),
            QString::fromLocal8Bit(std::strerror(errno)));
}
