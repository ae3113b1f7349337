#pragma once

#include <QString>

// The settings file format: "[section]" lines followed by "key=value" lines, in the Chinese
// code page. Section and key names match without regard to case.
//
// Readers never fail: a missing file, section or key gives the caller's default, and so
// does a number that does not parse. Every write reads the file afresh, changes one key and
// writes the whole file back, creating it when it is missing; there is no settings object
// kept in memory.
class IniFile {
public:
    explicit IniFile(QString path);

    const QString &path() const { return m_path; }
    bool exists() const;

    QString readString(const QString &section, const QString &key,
                       const QString &defaultValue) const;
    // Decimal, or hexadecimal after "0x"; anything else gives the default.
    int readInteger(const QString &section, const QString &key, int defaultValue) const;
    // True when the value parses as a non-zero integer.
    bool readBool(const QString &section, const QString &key, bool defaultValue) const;

    // Each returns false when the file could not be written.
    bool writeString(const QString &section, const QString &key, const QString &value);
    bool writeInteger(const QString &section, const QString &key, int value);
    bool writeBool(const QString &section, const QString &key, bool value);

    // The integer forms readers accept, for callers that check text before storing it.
    static bool parseInteger(const QString &text, int *value);

private:
    QString m_path;
};
