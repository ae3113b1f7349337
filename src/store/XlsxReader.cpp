#include "XlsxReader.h"

#include "NumberFormat.h"
#include "StoreError.h"
#include "ZipArchive.h"

#include <QDateTime>
#include <QDir>
#include <QHash>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <cmath>
#include <functional>

namespace {

[[noreturn]] void notAWorkbook()
{
    throw StoreError(Worksheet::NotAWorkbook);
}

// What the members may inflate to: far more than any sheet within the cell limit needs.
constexpr qint64 MaxSheetBytes = qint64(4) << 30;
constexpr qint64 MaxStringsBytes = qint64(1) << 30;

// Characters of text, shared strings and the sheet's own texts together, that a workbook
// may hold: some 512 MB.
class TextBudget {
public:
    void spend(qsizetype characters)
    {
        m_left -= characters;
        if (m_left < 0)
            throw StoreError(Worksheet::TooLarge);
    }

private:
    qint64 m_left = qint64(256) << 20;
};

struct Relationship {
    QString type;
    QString target; // member name inside the archive
};

// A relationship's target, relative to the folder of the member that names it.
QString resolveTarget(const QString &source, const QString &target)
{
    if (target.startsWith(u'/'))
        return QDir::cleanPath(target.mid(1));
    const int slash = int(source.lastIndexOf(u'/'));
    return QDir::cleanPath(source.left(slash + 1) + target);
}

QHash<QString, Relationship> readRelationships(ZipArchive &zip, const QString &source)
{
    const int slash = int(source.lastIndexOf(u'/'));
    const QString relsMember = source.left(slash + 1) + QStringLiteral("_rels/") +
                               source.mid(slash + 1) + QStringLiteral(".rels");
    QHash<QString, Relationship> relationships;
    zip.parse(relsMember, [&](QXmlStreamReader &xml) {
        while (!xml.atEnd()) {
            xml.readNext();
            if (!xml.isStartElement() || xml.name() != u"Relationship")
                continue;
            const QXmlStreamAttributes a = xml.attributes();
            if (a.value(QLatin1String("TargetMode")) == u"External")
                continue;
            relationships.insert(
                a.value(QLatin1String("Id")).toString(),
                {a.value(QLatin1String("Type")).toString(),
                 resolveTarget(source, a.value(QLatin1String("Target")).toString())});
        }
    });
    return relationships;
}

// The member a relationship of this kind (".../officeDocument", ".../sharedStrings") names.
QString memberOfType(const QHash<QString, Relationship> &relationships, QStringView kind)
{
    for (const Relationship &r : relationships)
        if (r.type.endsWith(kind))
            return r.target;
    return QString();
}

// Texts carry characters XML cannot hold as "_x000D_".
QString decodeEscapes(QString text)
{
    if (!text.contains(QLatin1String("_x")))
        return text;
    static const QRegularExpression escape(QStringLiteral("_x([0-9A-Fa-f]{4})_"));
    QString out;
    qsizetype from = 0;
    for (auto it = escape.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        out += QStringView(text).mid(from, m.capturedStart() - from);
        out += QChar(char16_t(m.captured(1).toUShort(nullptr, 16)));
        from = m.capturedEnd();
    }
    out += QStringView(text).mid(from);
    return out;
}

// The text of a string item (<si> or <is>): its <t> elements, those of rich text runs
// included, phonetic guides left out. Ends on the item's end element.
QString readStringItem(QXmlStreamReader &xml, TextBudget &budget)
{
    QString text;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isEndElement() && (xml.name() == u"si" || xml.name() == u"is"))
            break;
        if (!xml.isStartElement())
            continue;
        if (xml.name() == u"t") {
            const QString run = xml.readElementText();
            budget.spend(run.size());
            text = text.isEmpty() ? run : text + run;
        } else if (xml.name() == u"rPh")
            xml.skipCurrentElement();
    }
    return decodeEscapes(text);
}

// What a cell style's number format means to the cells read: a date, or a code padded with
// leading zeros ("00000" shows 123 as 00123), or the plain number.
struct StyleFormat {
    bool date = false;
    int zeroPadding = 0;
};

StyleFormat styleFormat(int id, const QHash<int, QString> &codes)
{
    if (!codes.contains(id))
        return {NumberFormat::isBuiltInDate(id), 0};
    const QString &code = codes[id];
    return {NumberFormat::isDateCode(code), NumberFormat::zeroPadding(code)};
}

// The format of each cell style, in the order the cells' s attribute counts them.
QList<StyleFormat> readStyleFormats(ZipArchive &zip, const QString &member)
{
    QHash<int, QString> codes;
    QList<int> styleFormats;
    if (!member.isEmpty()) {
        zip.parse(member, [&](QXmlStreamReader &xml) {
            bool inCellStyles = false;
            while (!xml.atEnd()) {
                xml.readNext();
                if (xml.isEndElement() && xml.name() == u"cellXfs")
                    inCellStyles = false;
                if (!xml.isStartElement())
                    continue;
                const QXmlStreamAttributes a = xml.attributes();
                if (xml.name() == u"numFmt")
                    codes.insert(a.value(QLatin1String("numFmtId")).toInt(),
                                 a.value(QLatin1String("formatCode")).toString());
                else if (xml.name() == u"cellXfs")
                    inCellStyles = true;
                else if (inCellStyles && xml.name() == u"xf")
                    styleFormats << a.value(QLatin1String("numFmtId")).toInt();
            }
        });
    }
    QList<StyleFormat> formats;
    for (int id : std::as_const(styleFormats))
        formats << styleFormat(id, codes);
    return formats;
}

QStringList readSharedStrings(ZipArchive &zip, const QString &member, TextBudget &budget)
{
    QStringList strings;
    if (member.isEmpty())
        return strings;
    zip.parse(
        member,
        [&](QXmlStreamReader &xml) {
            while (!xml.atEnd()) {
                xml.readNext();
                if (!xml.isStartElement() || xml.name() != u"si")
                    continue;
                if (strings.size() >= Worksheet::MaxCells)
                    throw StoreError(Worksheet::TooLarge);
                strings << readStringItem(xml, budget);
            }
        },
        MaxStringsBytes);
    return strings;
}

// "AB12" gives column 27 (from 0) and row 11; false when the reference is not one, a
// column past XFD included, however many letters it has.
bool parseReference(QStringView ref, int *column, int *row)
{
    int c = 0;
    qsizetype i = 0;
    for (; i < ref.size() && c <= Worksheet::MaxColumns; ++i) {
        const char16_t letter = QChar::toUpper(ref[i].unicode());
        if (letter < u'A' || letter > u'Z')
            break;
        c = c * 26 + (letter - u'A' + 1);
    }
    bool ok = false;
    const int r = ref.mid(i).toInt(&ok);
    if (i == 0 || c > Worksheet::MaxColumns || !ok || r < 1 || r > Worksheet::MaxRows)
        return false;
    *column = c - 1;
    *row = r - 1;
    return true;
}

struct SheetContext {
    const QStringList &strings;
    const QList<StyleFormat> &styles;
    bool date1904;
    const Worksheet::Progress &progress;
    TextBudget &budget;
};

// What a cell's t attribute says its value is.
enum class CellType { Number, SharedString, InlineString, Text, Boolean, Date };

CellType cellType(QStringView t)
{
    if (t == u"s")
        return CellType::SharedString;
    if (t == u"inlineStr")
        return CellType::InlineString;
    if (t == u"str" || t == u"e")
        return CellType::Text;
    if (t == u"b")
        return CellType::Boolean;
    if (t == u"d")
        return CellType::Date;
    return CellType::Number;
}

QVariant cellValue(CellType type, int style, const QString &value, const SheetContext &context)
{
    switch (type) {
    case CellType::SharedString: {
        bool ok = false;
        const int index = value.toInt(&ok);
        if (!ok || index < 0 || index >= context.strings.size())
            notAWorkbook();
        return context.strings[index];
    }
    case CellType::InlineString:
    case CellType::Text:
        context.budget.spend(value.size());
        return decodeEscapes(value);
    case CellType::Boolean:
        return QVariant(value.trimmed() == u"1" || value.trimmed() == u"true");
    case CellType::Date: {
        const QDateTime d = QDateTime::fromString(value.trimmed(), Qt::ISODate);
        return d.isValid() ? QVariant(d) : QVariant(value);
    }
    case CellType::Number:
        break;
    }
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (!ok)
        return value.isEmpty() ? QVariant() : QVariant(value);
    const StyleFormat format = context.styles.value(style);
    if (format.date)
        return NumberFormat::dateFromSerial(number, context.date1904);
    if (format.zeroPadding > 0 && number >= 0 && number == std::floor(number) && number < 1e15)
        return QString::number(qint64(number)).rightJustified(format.zeroPadding, u'0');
    return number;
}

// One <c> element, up to its end; a cell without a value (only a style) is left out.
void readCell(QXmlStreamReader &xml, int row, int *column, const SheetContext &context,
              Worksheet &sheet)
{
    const QXmlStreamAttributes a = xml.attributes();
    const QStringView ref = a.value(QLatin1String("r"));
    const CellType type = cellType(a.value(QLatin1String("t")));
    const int style = a.value(QLatin1String("s")).toInt();
    if (ref.isEmpty())
        ++*column;
    else if (!parseReference(ref, column, &row))
        notAWorkbook();
    if (*column >= Worksheet::MaxColumns)
        notAWorkbook();
    if (*column >= sheet.columnLimit()) {
        xml.skipCurrentElement();
        return;
    }

    QString value;
    bool hasValue = false;
    while (xml.readNextStartElement()) {
        if (xml.name() == u"v") {
            value = xml.readElementText();
            hasValue = true;
        } else if (xml.name() == u"is") {
            sheet.setCell(row, *column, readStringItem(xml, context.budget));
        } else {
            xml.skipCurrentElement();
        }
    }
    if (hasValue)
        sheet.setCell(row, *column, cellValue(type, style, value, context));
}

void readSheetData(QXmlStreamReader &xml, const SheetContext &context, Worksheet &sheet)
{
    int row = -1;
    int column = -1;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == u"row") {
            const QStringView r = xml.attributes().value(QLatin1String("r"));
            row = r.isEmpty() ? row + 1 : r.toInt() - 1;
            if (row < 0 || row >= Worksheet::MaxRows)
                notAWorkbook();
            column = -1;
            if (context.progress && row % 256 == 0)
                context.progress(ZipArchive::permilleRead(xml));
        } else if (xml.name() == u"c") {
            readCell(xml, qMax(row, 0), &column, context, sheet);
        }
    }
}

} // namespace

Worksheet XlsxReader::readFirstSheet(const QString &path, const Worksheet::Progress &progress,
                                     int columnLimit)
{
    ZipArchive zip(path);
    if (!zip.isOpen())
        notAWorkbook();
    const QString workbook = memberOfType(readRelationships(zip, QString()), u"/officeDocument");
    if (workbook.isEmpty())
        notAWorkbook();

    struct SheetEntry {
        QString name, relationship;
    };
    QList<SheetEntry> sheets;
    bool date1904 = false;
    const bool found = zip.parse(workbook, [&](QXmlStreamReader &xml) {
        while (!xml.atEnd()) {
            xml.readNext();
            if (!xml.isStartElement())
                continue;
            const QXmlStreamAttributes a = xml.attributes();
            if (xml.name() == u"workbookPr") {
                const QStringView v = a.value(QLatin1String("date1904"));
                date1904 = v == u"1" || v == u"true";
            } else if (xml.name() == u"sheet") {
                SheetEntry entry{a.value(QLatin1String("name")).toString(), QString()};
                for (const QXmlStreamAttribute &attribute : a)
                    if (attribute.name() == u"id" && !attribute.namespaceUri().isEmpty())
                        entry.relationship = attribute.value().toString();
                sheets << entry;
            }
        }
    });
    if (!found)
        notAWorkbook();

    const QHash<QString, Relationship> parts = readRelationships(zip, workbook);
    TextBudget budget;
    const QStringList strings =
        readSharedStrings(zip, memberOfType(parts, u"/sharedStrings"), budget);
    const QList<StyleFormat> styles = readStyleFormats(zip, memberOfType(parts, u"/styles"));

    // Chart sheets do not count: the first worksheet is the first sheet holding cells.
    for (const SheetEntry &entry : std::as_const(sheets)) {
        const Relationship part = parts.value(entry.relationship);
        if (!part.type.endsWith(u"/worksheet"))
            continue;
        Worksheet sheet(columnLimit);
        sheet.setName(entry.name);
        const SheetContext context{strings, styles, date1904, progress, budget};
        if (!zip.parse(
                part.target, [&](QXmlStreamReader &xml) { readSheetData(xml, context, sheet); },
                MaxSheetBytes))
            notAWorkbook();
        return sheet;
    }
    notAWorkbook();
}
