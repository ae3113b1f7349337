#include "FieldSource.h"

QString AsciiCase::lower(QStringView text)
{
    QString lower = text.toString();
    for (QChar &c : lower)
        if (c.unicode() >= 'A' && c.unicode() <= 'Z')
            c = QChar(c.unicode() + ('a' - 'A'));
    return lower;
}

bool AsciiCase::equal(QStringView a, QStringView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        char16_t x = a[i].unicode();
        char16_t y = b[i].unicode();
        if (x >= 'A' && x <= 'Z')
            x += 'a' - 'A';
        if (y >= 'A' && y <= 'Z')
            y += 'a' - 'A';
        if (x != y)
            return false;
    }
    return true;
}

void DatasetDirectory::add(const QString &name, const FieldSource *source)
{
    m_sources.insert(AsciiCase::lower(name), source);
}

void DatasetDirectory::remove(const QString &name)
{
    m_sources.remove(AsciiCase::lower(name));
}

const FieldSource *DatasetDirectory::find(const QString &name) const
{
    return m_sources.value(AsciiCase::lower(name), nullptr);
}

DatasetLookup DatasetDirectory::lookup() const
{
    return [this](const QString &name) { return find(name); };
}
