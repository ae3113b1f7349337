#pragma once

#include "VersionFile.h"

#include <QObject>

class BackgroundTransfer;

// Downloads an announced program file beside the program and puts it in the program's place
// only once the whole file has arrived and its SHA-256 is the announced one. Until then the
// program file is untouched; the running program goes on and the new one runs from the next
// start.
class UpdateDownload : public QObject {
    Q_OBJECT
public:
    // programFile: the file to replace (the running program's, in the program).
    UpdateDownload(const VersionAnnouncement &announcement, const QString &programFile,
                   QObject *parent = nullptr);

    void start();
    void cancel();

    // The name the download is written to while it arrives, beside the program file.
    static QString partialFileOf(const QString &programFile);

Q_SIGNALS:
    void progress(qint64 done, qint64 total);
    // installed true: the new program is in place. Otherwise message says why (empty when
    // the user cancelled) and the program file is as it was.
    void finished(bool installed, const QString &message, const QString &detail);

private:
    BackgroundTransfer *m_transfer;
    VersionAnnouncement m_announcement;
    QString m_programFile;
};

// Puts newFile in programFile's place in one step, executable like it. On failure throws
// TransportError, and programFile is as it was.
void replaceProgramFile(const QString &newFile, const QString &programFile);
