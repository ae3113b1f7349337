#include "IniFile.h"

#include "Gbk.h"

#include <QFile>
#include <QSaveFile>
#include <QStringList>

namespace {

QStringList readLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QString text = Gbk::decode(file.readAll());
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QStringList lines = text.split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

bool isSectionLine(const QString &line, QString *name)
{
    const QString trimmed = line.trimmed();
    if (!trimmed.startsWith(u'[') || !trimmed.contains(u']'))
        return false;
    *name = trimmed.mid(1, trimmed.indexOf(u']') - 1).trimmed();
    return true;
}

bool isKeyLine(const QString &line, QString *key, QString *value)
{
    const qsizetype eq = line.indexOf(u'=');
    if (eq < 0 || line.trimmed().startsWith(u';'))
        return false;
    *key = line.left(eq).trimmed();
    *value = line.mid(eq + 1).trimmed();
    return true;
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

IniFile::IniFile(QString path) : m_path(std::move(path)) {}

bool IniFile::exists() const
{
    return QFile::exists(m_path);
}

QString IniFile::readString(const QString &section, const QString &key,
                            const QString &defaultValue) const
{
    bool inSection = false;
    for (const QString &line : readLines(m_path)) {
        QString name, value;
        if (isSectionLine(line, &name))
            inSection = sameName(name, section);
        else if (inSection && isKeyLine(line, &name, &value) && sameName(name, key))
            return value;
    }
    return defaultValue;
}

bool IniFile::parseInteger(const QString &text, int *value)
{
    const QString t = text.trimmed();
    bool ok = false;
    int parsed = 0;
    if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        parsed = int(t.mid(2).toUInt(&ok, 16));
    else
        parsed = t.toInt(&ok, 10);
    if (ok)
        *value = parsed;
    return ok;
}

int IniFile::readInteger(const QString &section, const QString &key, int defaultValue) const
{
    int value = defaultValue;
    parseInteger(readString(section, key, QString()), &value);
    return value;
}

bool IniFile::readBool(const QString &section, const QString &key, bool defaultValue) const
{
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

bool IniFile::writeString(const QString &section, const QString &key, const QString &value)
{
    QStringList lines = readLines(m_path);
    const QString entry = key + u'=' + value;
    qsizetype sectionStart = -1, insertAt = -1;
    bool written = false;
    for (qsizetype i = 0; i < lines.size() && !written; ++i) {
        QString name, oldValue;
        if (isSectionLine(lines[i], &name)) {
            if (sectionStart >= 0)
                break;
            if (sameName(name, section))
                sectionStart = insertAt = i + 1;
        } else if (sectionStart >= 0) {
            if (isKeyLine(lines[i], &name, &oldValue) && sameName(name, key)) {
                lines[i] = entry;
                written = true;
            } else if (!lines[i].trimmed().isEmpty()) {
                insertAt = i + 1;
            }
        }
    }
    if (!written) {
        if (sectionStart < 0) {
            if (!lines.isEmpty() && !lines.last().trimmed().isEmpty())
                lines << QString();
            lines << u'[' + section + u']' << entry;
        } else {
            lines.insert(insertAt, entry);
        }
    }
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(Gbk::encode(lines.join(u'\n') + u'\n'));
    return file.commit();
}

bool IniFile::writeInteger(const QString &section, const QString &key, int value)
{
    return writeString(section, key, QString::number(value));
}

bool IniFile::writeBool(const QString &section, const QString &key, bool value)
{
    return writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}
