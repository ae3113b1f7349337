#pragma once

#include "VersionFile.h"

#include <QObject>

class BackgroundTransfer;

// Fetches the version file in the background and says what it found. Nothing here shows
// anything: a check that fails (no network, a broken file) only emits failed.
class UpdateCheck : public QObject {
    Q_OBJECT
public:
    explicit UpdateCheck(QObject *parent = nullptr);

    // Starts a check unless one is running; false when one is.
    bool start(const QString &versionFileUrl, const QString &currentVersion);
    bool isRunning() const;

Q_SIGNALS:
    void newerVersion(const VersionAnnouncement &announcement);
    void upToDate();
    void failed(const QString &message, const QString &detail);

private:
    BackgroundTransfer *m_transfer;
    VersionAnnouncement m_found;
    QString m_currentVersion;
};
