#pragma once

#include <QObject>
#include <QPointer>

class QProgressDialog;
class QWidget;
class UpdateCheck;
class UpdateDownload;
struct VersionAnnouncement;

// The update check as the user meets it: the check runs in the background and is silent
// unless it finds a newer version, which is offered; an accepted offer downloads with a
// progress box that can cancel it, and the new program replaces the old one only once the
// download is complete and verified.
class UpdateOffer : public QObject {
    Q_OBJECT
public:
    explicit UpdateOffer(QWidget *window);

    // Starts a check unless one is running. asked: the user asked for it, so "up to date" is
    // said too; a check that fails stays silent either way.
    void start(const QString &versionFileUrl, bool asked);
    // The program file the update replaces; the running program's unless set.
    void setProgramFile(const QString &path) { m_programFile = path; }

Q_SIGNALS:
    // The check or the download it led to is over, for whoever waits for it.
    void done();

private:
    QWidget *m_window;
    UpdateCheck *m_check;
    QPointer<UpdateDownload> m_download;
    QPointer<QProgressDialog> m_progress;
    QString m_programFile;
    bool m_asked = false;

    void offer(const VersionAnnouncement &announcement);
    void downloadFinished(bool installed, const QString &message, const QString &detail);
};
