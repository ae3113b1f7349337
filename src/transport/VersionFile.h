#pragma once

#include <QByteArray>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QUrl>

// What the maker's version file announces. The file is UTF-8 text of "key=value" lines;
// blank lines and lines starting with "#" are ignored, and so are unknown keys, so a later
// program can add some. Three keys are required, each once:
//   version=4.9.1.0              up to four whole numbers joined by "."
//   file=https://.../quillet     the program file, over http or https
//   sha256=<64 hex digits>       the program file's SHA-256
struct VersionAnnouncement {
    QString version;
    QUrl programUrl;
    QByteArray sha256; // the 32 raw bytes

    static constexpr qsizetype MaxFileBytes = 64 * 1024;

    // Throws TransportError for anything else than the format above.
    static VersionAnnouncement parse(const QByteArray &file);
};

// The numbers of a version text such as "4.9.0.0"; empty when it is not one.
QList<int> versionNumbers(const QString &version);
// True when candidate names a later version than current; missing trailing numbers count as 0.
bool isNewerVersion(const QString &candidate, const QString &current);

Q_DECLARE_METATYPE(VersionAnnouncement)
