#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <utility>

// The settings file format: "[section]" lines followed by "key=value" lines, in the Chinese
// code page. Section and key names match without regard to case.
//
// Readers never fail: a missing file, section or key gives the caller's default, and so
// does a number that does not parse. The file is read once and read again only when it has
// changed on disk, so the many keys of one grid cost one reading. A line longer than
// MaxLineBytes holds no setting: it is skipped, and dropped when the file is written back.
//
// Every write changes the keys given and writes the whole file at once, creating it when
// it is missing. A write that cannot be completed (a full disk, no permission) leaves the
// file exactly as it was and returns false, with the reason in errorString().
class IniFile {
public:
    static constexpr qsizetype MaxLineBytes = 64 * 1024;

    explicit IniFile(QString path);

    const QString &path() const { return m_path; }
    bool exists() const;

    QString readString(const QString &section, const QString &key,
                       const QString &defaultValue) const;
    // Decimal, or hexadecimal after "0x"; anything else gives the default.
    int readInteger(const QString &section, const QString &key, int defaultValue) const;
    // True when the value parses as a non-zero integer.
    bool readBool(const QString &section, const QString &key, bool defaultValue) const;

    bool writeString(const QString &section, const QString &key, const QString &value);
    bool writeInteger(const QString &section, const QString &key, int value);
    bool writeBool(const QString &section, const QString &key, bool value);
    // Several keys of one section, in one writing of the file.
    bool writeValues(const QString &section, const QList<std::pair<QString, QString>> &values);
    // Why the last write failed.
    const QString &errorString() const { return m_error; }

    // The integer forms readers accept, for callers that check text before storing it.
    static bool parseInteger(const QString &text, int *value);

private:
    struct Stamp {
        qint64 inode = -1, size = -1, modified = -1, changed = -1;
        bool operator==(const Stamp &) const = default;
    };

    QString m_path;
    QString m_error;
    mutable Stamp m_stamp;
    mutable QStringList m_lines;
    // "section\nkey", case folded, to the first value given for it.
    mutable QHash<QString, QString> m_values;

    const QStringList &lines() const;
    void remember(QStringList lines, const Stamp &stamp) const;
    static Stamp stampOf(const QString &path);
};
