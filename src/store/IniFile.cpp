#include "IniFile.h"

#include "Gbk.h"

#include <QFile>
#include <QSaveFile>

#include <sys/stat.h>

namespace {

// The lines of the file, those longer than the limit left out. The file is read in pieces,
// so a huge line is never held in memory whole.
QStringList readLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray kept, line;
    bool tooLong = false;
    const auto endLine = [&] {
        if (!tooLong) {
            if (line.endsWith('\r'))
                line.chop(1);
            kept += line;
            kept += '\n';
        }
        line.clear();
        tooLong = false;
    };
    QByteArray chunk;
    while (!(chunk = file.read(1 << 16)).isEmpty()) {
        qsizetype start = 0;
        while (start < chunk.size()) {
            const qsizetype newline = chunk.indexOf('\n', start);
            const qsizetype end = newline < 0 ? chunk.size() : newline;
            if (!tooLong) {
                line += QByteArrayView(chunk).sliced(start, end - start);
                if (line.size() > IniFile::MaxLineBytes) {
                    tooLong = true;
                    line.clear();
                }
            }
            if (newline < 0)
                break;
            endLine();
            start = newline + 1;
        }
    }
    if (!line.isEmpty() || tooLong)
        endLine();
    // GBK never uses the newline byte inside a character, so the text splits as the bytes did.
    QStringList lines = Gbk::decode(kept).split(u'\n');
    lines.removeLast(); // after the last newline
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

QString indexKey(const QString &section, const QString &key)
{
    return section.toCaseFolded() + u'\n' + key.toCaseFolded();
}

// Sets key=value in the lines: in place when the section has the key, else at the end of the
// section's entries, else in a new section at the end.
void setValue(QStringList &lines, const QString &section, const QString &key, const QString &value)
{
    const QString entry = key + u'=' + value;
    qsizetype sectionStart = -1, insertAt = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString name, oldValue;
        if (isSectionLine(lines[i], &name)) {
            if (sectionStart >= 0)
                break;
            if (sameName(name, section))
                sectionStart = insertAt = i + 1;
        } else if (sectionStart >= 0) {
            if (isKeyLine(lines[i], &name, &oldValue) && sameName(name, key)) {
                lines[i] = entry;
                return;
            }
            if (!lines[i].trimmed().isEmpty())
                insertAt = i + 1;
        }
    }
    if (sectionStart >= 0) {
        lines.insert(insertAt, entry);
        return;
    }
    if (!lines.isEmpty() && !lines.last().trimmed().isEmpty())
        lines << QString();
    lines << u'[' + section + u']' << entry;
}

} // namespace

IniFile::IniFile(QString path) : m_path(std::move(path)) {}

bool IniFile::exists() const
{
    return QFile::exists(m_path);
}

IniFile::Stamp IniFile::stampOf(const QString &path)
{
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    const auto nanoseconds = [](const timespec &t) {
        return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
    };
    return {qint64(st.st_ino), qint64(st.st_size), nanoseconds(st.st_mtim),
            nanoseconds(st.st_ctim)};
}

void IniFile::remember(QStringList lines, const Stamp &stamp) const
{
    m_lines = std::move(lines);
    m_stamp = stamp;
    m_values.clear();
    QString section;
    bool inSection = false; // keys above the first section header belong to none
    for (const QString &line : std::as_const(m_lines)) {
        QString name, value;
        if (isSectionLine(line, &name)) {
            section = name;
            inSection = true;
        } else if (inSection && isKeyLine(line, &name, &value)) {
            const QString k = indexKey(section, name);
            if (!m_values.contains(
                    k)) // the first of duplicates wins, as a reader from the top finds
                m_values.insert(k, value);
        }
    }
}

const QStringList &IniFile::lines() const
{
    const Stamp now = stampOf(m_path);
    if (now.inode < 0) {
        remember({}, now);
    } else if (!(now == m_stamp)) {
        // Stamped before reading: a change made while reading shows as a change next time.
        remember(readLines(m_path), now);
    }
    return m_lines;
}

QString IniFile::readString(const QString &section, const QString &key,
                            const QString &defaultValue) const
{
    lines();
    const auto found = m_values.constFind(indexKey(section, key));
    return found == m_values.cend() ? defaultValue : *found;
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

bool IniFile::writeValues(const QString &section, const QList<std::pair<QString, QString>> &values)
{
    QStringList changed = lines();
    for (const auto &[key, value] : values)
        setValue(changed, section, key, value);
    const QByteArray bytes = Gbk::encode(changed.join(u'\n') + u'\n');
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly)) {
        m_error = file.errorString();
        return false;
    }
    // Every step is checked: commit() alone still reports success after a failed flush,
    // and would put a cut-off file in place of the old one.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        m_error = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        m_error = file.errorString();
        return false;
    }
    m_error.clear();
    remember(std::move(changed), stampOf(m_path));
    return true;
}

bool IniFile::writeString(const QString &section, const QString &key, const QString &value)
{
    return writeValues(section, {{key, value}});
}

bool IniFile::writeInteger(const QString &section, const QString &key, int value)
{
    return writeString(section, key, QString::number(value));
}

bool IniFile::writeBool(const QString &section, const QString &key, bool value)
{
    return writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}
