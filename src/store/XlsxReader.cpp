#include "XlsxReader.h"

#include "NumberFormat.h"
#include "SheetRows.h"
#include "StoreError.h"
#include "ZipArchive.h"

#include <QDateTime>
#include <QDir>
#include <QHash>
#include <QRegularExpression>
#include <charconv>
#include <cmath>
#include <optional>
#include <string>
#include <utility>

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

// The characters (UTF-16 code units, as a QString counts them) that UTF-8 text makes.
qsizetype utf16Length(std::string_view utf8)
{
    qsizetype units = 0;
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        units += (byte & 0xC0) != 0x80;
        units += byte >= 0xF0; // a surrogate pair
    }
    return units;
}

QString toQString(std::string_view utf8)
{
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

// Whole numbers written as plain digits are read here; anything else (signs, spaces, more
// digits than an int holds) is left to Qt's reading.
int toInt(std::string_view text, bool *ok = nullptr)
{
    if (!text.empty() && text.size() <= 9 && text.find_first_not_of("0123456789") == text.npos) {
        int n = 0;
        std::from_chars(text.data(), text.data() + text.size(), n);
        if (ok)
            *ok = true;
        return n;
    }
    return toQString(text).toInt(ok);
}

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

class RelationshipsReader : public XmlHandler {
public:
    explicit RelationshipsReader(const QString &source) : m_source(source) {}
    QHash<QString, Relationship> relationships;

    void startElement(std::string_view name, const char **attributes) override
    {
        if (name != "Relationship" || attribute(attributes, "TargetMode") == "External")
            return;
        relationships.insert(toQString(attribute(attributes, "Id")),
                             {toQString(attribute(attributes, "Type")),
                              resolveTarget(m_source, toQString(attribute(attributes, "Target")))});
    }

private:
    QString m_source;
};

QHash<QString, Relationship> readRelationships(ZipArchive &zip, const QString &source)
{
    const int slash = int(source.lastIndexOf(u'/'));
    const QString relsMember = source.left(slash + 1) + QStringLiteral("_rels/") +
                               source.mid(slash + 1) + QStringLiteral(".rels");
    RelationshipsReader reader(source);
    zip.parse(relsMember, reader);
    return reader.relationships;
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

// The text of a string item (<si> or <is>), fed the elements inside the item: its <t>
// elements, those of rich text runs included, phonetic guides (<rPh>) left out.
class StringItem {
public:
    explicit StringItem(TextBudget &budget) : m_budget(budget) {}

    void start(std::string_view name)
    {
        if (m_phoneticDepth > 0)
            ++m_phoneticDepth;
        else if (name == "rPh")
            m_phoneticDepth = 1;
        else if (name == "t" && m_textDepth == 0)
            m_textDepth = 1;
        else if (m_textDepth > 0)
            ++m_textDepth;
    }
    void end()
    {
        if (m_phoneticDepth > 0) {
            --m_phoneticDepth;
        } else if (m_textDepth > 0 && --m_textDepth == 0) {
            m_budget.spend(utf16Length(std::string_view(m_text).substr(m_runStart)));
            m_runStart = m_text.size();
        }
    }
    void characters(std::string_view text)
    {
        if (m_textDepth > 0 && m_phoneticDepth == 0)
            m_text.append(text);
    }
    // The item's text, leaving it empty for the next item.
    QString take()
    {
        QString text = toQString(m_text);
        if (m_text.find("_x") != std::string::npos)
            text = decodeEscapes(text);
        m_text.clear();
        m_runStart = 0;
        m_textDepth = m_phoneticDepth = 0;
        return text;
    }

private:
    TextBudget &m_budget;
    std::string m_text;
    size_t m_runStart = 0; // where the <t> being read began in m_text
    int m_textDepth = 0;
    int m_phoneticDepth = 0;
};

class SharedStringsReader : public XmlHandler {
public:
    explicit SharedStringsReader(TextBudget &budget) : m_item(budget) {}
    QStringList strings;

    void startElement(std::string_view name, const char **) override
    {
        if (m_depth > 0) {
            ++m_depth;
            m_item.start(name);
        } else if (name == "si") {
            if (strings.size() >= Worksheet::MaxCells)
                throw StoreError(Worksheet::TooLarge);
            m_depth = 1;
        }
    }
    void endElement(std::string_view) override
    {
        if (m_depth == 0)
            return;
        if (--m_depth == 0)
            strings << m_item.take();
        else
            m_item.end();
    }
    void characters(std::string_view text) override { m_item.characters(text); }

private:
    StringItem m_item;
    int m_depth = 0; // inside an <si>: 1 for its own level
};

QStringList readSharedStrings(ZipArchive &zip, const QString &member, TextBudget &budget)
{
    if (member.isEmpty())
        return {};
    SharedStringsReader reader(budget);
    zip.parse(member, reader, MaxStringsBytes);
    return reader.strings;
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

class StylesReader : public XmlHandler {
public:
    QHash<int, QString> codes;
    QList<int> styleFormats; // each cell style's number format id

    void startElement(std::string_view name, const char **attributes) override
    {
        if (name == "numFmt")
            codes.insert(toInt(attribute(attributes, "numFmtId")),
                         toQString(attribute(attributes, "formatCode")));
        else if (name == "cellXfs")
            m_inCellStyles = true;
        else if (m_inCellStyles && name == "xf")
            styleFormats << toInt(attribute(attributes, "numFmtId"));
    }
    void endElement(std::string_view name) override
    {
        if (name == "cellXfs")
            m_inCellStyles = false;
    }

private:
    bool m_inCellStyles = false;
};

// The format of each cell style, in the order the cells' s attribute counts them.
QList<StyleFormat> readStyleFormats(ZipArchive &zip, const QString &member)
{
    StylesReader reader;
    if (!member.isEmpty())
        zip.parse(member, reader);
    QList<StyleFormat> formats;
    for (int id : std::as_const(reader.styleFormats))
        formats << styleFormat(id, reader.codes);
    return formats;
}

// "AB12" gives column 27 (from 0) and row 11, letters of either case; false when the
// reference is not one, a column past XFD included, however many letters it has.
bool parseReference(std::string_view ref, int *column, int *row)
{
    int c = 0;
    size_t i = 0;
    for (; i < ref.size() && c <= Worksheet::MaxColumns; ++i) {
        const char letter = ref[i] >= 'a' && ref[i] <= 'z' ? char(ref[i] - 'a' + 'A') : ref[i];
        if (letter < 'A' || letter > 'Z')
            break;
        c = c * 26 + (letter - 'A' + 1);
    }
    bool ok = false;
    const int r = toInt(ref.substr(i), &ok);
    if (i == 0 || c > Worksheet::MaxColumns || !ok || r < 1 || r > Worksheet::MaxRows)
        return false;
    *column = c - 1;
    *row = r - 1;
    return true;
}

struct SheetContext {
    const QList<StyleFormat> &styles;
    bool date1904;
    const Worksheet::Progress &progress;
    TextBudget &budget;
};

// What a cell's t attribute says its value is.
enum class CellType { Number, SharedString, InlineString, Text, Boolean, Date };

CellType cellType(std::string_view t)
{
    if (t == "s")
        return CellType::SharedString;
    if (t == "inlineStr")
        return CellType::InlineString;
    if (t == "str" || t == "e")
        return CellType::Text;
    if (t == "b")
        return CellType::Boolean;
    if (t == "d")
        return CellType::Date;
    return CellType::Number;
}

QVariant numberValue(double number, int style, const SheetContext &context)
{
    const StyleFormat format = context.styles.value(style);
    if (format.date)
        return NumberFormat::dateFromSerial(number, context.date1904);
    if (format.zeroPadding > 0 && number >= 0 && number == std::floor(number) && number < 1e15)
        return QString::number(qint64(number)).rightJustified(format.zeroPadding, u'0');
    return number;
}

// A number as a spreadsheet writes it, digits with a point and an exponent; nullopt for
// anything else, which Qt's reading decides.
std::optional<double> plainNumber(std::string_view text)
{
    if (text.empty() || (text[0] != '-' && (text[0] < '0' || text[0] > '9')))
        return std::nullopt;
    double number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return number;
}

// The value of a cell that holds no text: numbers, booleans and dates.
QVariant cellValue(CellType type, int style, std::string_view bytes, const SheetContext &context)
{
    if (type == CellType::Number) {
        if (const auto number = plainNumber(bytes))
            return numberValue(*number, style, context);
    }
    const QString value = toQString(bytes);
    switch (type) {
    case CellType::SharedString:
    case CellType::InlineString:
    case CellType::Text:
        break;
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
    return numberValue(number, style, context);
}

// A node's name without its prefix.
std::string_view localName(const pugi::xml_node &node)
{
    const std::string_view name = node.name();
    const size_t colon = name.find(':');
    return colon == name.npos ? name : name.substr(colon + 1);
}

// The text of a node's own character data, in as many pieces as it came.
void appendText(const pugi::xml_node &node, std::string &text)
{
    for (pugi::xml_node piece = node.first_child(); piece; piece = piece.next_sibling())
        if (piece.type() == pugi::node_pcdata || piece.type() == pugi::node_cdata)
            text += piece.value();
}

// The text of a string item (<si> or <is>): its <t> elements, those of rich text runs
// included, phonetic guides (<rPh>) left out. Walked without recursion: the nesting inside a
// run of rows is the file's to choose.
void appendItemText(const pugi::xml_node &item, std::string &text)
{
    int depth = 1;
    int textDepth = 0; // the depth of the <t> being read, 0 outside one
    pugi::xml_node node = item.first_child();
    while (node) {
        bool descend = true;
        if (node.type() == pugi::node_element) {
            const std::string_view name = localName(node);
            if (name == "rPh")
                descend = false;
            else if (name == "t" && textDepth == 0)
                textDepth = depth;
        } else if (textDepth > 0 &&
                   (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata)) {
            text += node.value();
        }
        if (descend && node.first_child()) {
            node = node.first_child();
            ++depth;
            continue;
        }
        // On to the next node after this one's subtree, leaving the elements it closes.
        while (node) {
            if (textDepth == depth)
                textDepth = 0;
            if (node.next_sibling()) {
                node = node.next_sibling();
                break;
            }
            node = --depth > 0 ? node.parent() : pugi::xml_node();
        }
    }
}

// The rows and cells of a worksheet. A cell's value is its <v> child; a cell with an <is>
// child holds that inline text; a cell without either (only a style) is left out.
class SheetReader {
public:
    SheetReader(const ZipArchive &zip, const SheetContext &context, Worksheet &sheet)
        : m_zip(zip), m_context(context), m_sheet(sheet)
    {
    }

    // The row after the last one read.
    int nextRow() const { return m_row + 1; }

    void read(const pugi::xml_node &rows)
    {
        for (pugi::xml_node row = rows.first_child(); row; row = row.next_sibling()) {
            if (row.type() != pugi::node_element || localName(row) != "row")
                continue;
            startRow(row.attribute("r").value());
            for (pugi::xml_node cell = row.first_child(); cell; cell = cell.next_sibling())
                if (cell.type() == pugi::node_element && localName(cell) == "c")
                    readCell(cell);
        }
    }

private:
    void startRow(std::string_view r)
    {
        m_row = r.empty() ? m_row + 1 : toInt(r) - 1;
        if (m_row < 0 || m_row >= Worksheet::MaxRows)
            notAWorkbook();
        m_column = -1;
        if (m_context.progress && m_row % 256 == 0)
            m_context.progress(m_zip.permilleRead());
    }

    void readCell(const pugi::xml_node &cell)
    {
        const std::string_view ref = cell.attribute("r").value();
        int row = qMax(m_row, 0);
        if (ref.empty())
            ++m_column;
        else if (!parseReference(ref, &m_column, &row))
            notAWorkbook();
        if (m_column >= Worksheet::MaxColumns)
            notAWorkbook();
        if (m_column >= m_sheet.columnLimit())
            return;
        for (pugi::xml_node child = cell.first_child(); child; child = child.next_sibling()) {
            if (child.type() != pugi::node_element)
                continue;
            const std::string_view name = localName(child);
            m_text.clear();
            if (name == "v") {
                appendText(child, m_text);
                readValue(row, cellType(cell.attribute("t").value()),
                          toInt(cell.attribute("s").value()));
                return;
            }
            if (name == "is") {
                appendItemText(child, m_text);
                setText(row);
                return;
            }
        }
    }

    void readValue(int row, CellType type, int style)
    {
        if (type == CellType::SharedString) {
            bool ok = false;
            const int index = toInt(m_text, &ok);
            if (!ok || index < 0 || index >= m_sheet.sharedStrings().size())
                notAWorkbook();
            m_sheet.setSharedText(row, m_column, index);
        } else if (type == CellType::InlineString || type == CellType::Text) {
            setText(row);
        } else {
            m_sheet.setCell(row, m_column, cellValue(type, style, m_text, m_context));
        }
    }

    // Text is kept as it came, unless it holds escaped characters ("_x000D_").
    void setText(int row)
    {
        m_context.budget.spend(utf16Length(m_text));
        if (m_text.find("_x") == std::string::npos)
            m_sheet.setText(row, m_column, m_text);
        else
            m_sheet.setCell(row, m_column, decodeEscapes(toQString(m_text)));
    }

    const ZipArchive &m_zip;
    const SheetContext &m_context;
    Worksheet &m_sheet;
    int m_row = -1;
    int m_column = -1;
    std::string m_text; // the cell being read
};

class WorkbookReader : public XmlHandler {
public:
    struct SheetEntry {
        QString name, relationship;
    };
    QList<SheetEntry> sheets;
    bool date1904 = false;

    void startElement(std::string_view name, const char **attributes) override
    {
        if (name == "workbookPr") {
            const std::string_view v = attribute(attributes, "date1904");
            date1904 = v == "1" || v == "true";
        } else if (name == "sheet") {
            SheetEntry entry{toQString(attribute(attributes, "name")), QString()};
            // The relationship's id is the attribute "id" in a namespace: "r:id".
            for (const char **a = attributes; *a; a += 2) {
                const std::string_view attributeName = a[0];
                const size_t colon = attributeName.find(':');
                if (colon != attributeName.npos && attributeName.substr(colon + 1) == "id")
                    entry.relationship = QString::fromUtf8(a[1]);
            }
            sheets << entry;
        }
    }
};

} // namespace

Worksheet XlsxReader::readFirstSheet(const QString &path, const Worksheet::Progress &progress,
                                     int columnLimit, const Worksheet::RunTaken &taken)
{
    ZipArchive zip(path);
    if (!zip.isOpen())
        notAWorkbook();
    const QString workbook = memberOfType(readRelationships(zip, QString()), u"/officeDocument");
    if (workbook.isEmpty())
        notAWorkbook();

    WorkbookReader book;
    if (!zip.parse(workbook, book))
        notAWorkbook();

    const QHash<QString, Relationship> parts = readRelationships(zip, workbook);
    TextBudget budget;
    const QStringList strings =
        readSharedStrings(zip, memberOfType(parts, u"/sharedStrings"), budget);
    const QList<StyleFormat> styles = readStyleFormats(zip, memberOfType(parts, u"/styles"));

    // Chart sheets do not count: the first worksheet is the first sheet holding cells.
    for (const WorkbookReader::SheetEntry &entry : std::as_const(book.sheets)) {
        const Relationship part = parts.value(entry.relationship);
        if (!part.type.endsWith(u"/worksheet"))
            continue;
        Worksheet sheet(columnLimit);
        sheet.setName(entry.name);
        sheet.setSharedStrings(strings);
        const SheetContext context{styles, book.date1904, progress, budget};
        SheetReader reader(zip, context, sheet);
        SheetRows rows([&](const pugi::xml_node &run) {
            reader.read(run);
            if (!taken)
                return;
            // The reader goes on into a fresh sheet that starts below the rows handed over.
            Worksheet next(columnLimit);
            next.setName(entry.name);
            next.setSharedStrings(strings);
            next.setFirstRow(qMin(reader.nextRow(), Worksheet::MaxRows - 1));
            taken(std::exchange(sheet, std::move(next)), zip.permilleRead());
        });
        if (!zip.inflate(
                part.target, MaxSheetBytes, [&rows](int size) { return rows.bufferFor(size); },
                [&rows](int size, bool last) { rows.take(size, last); }))
            notAWorkbook();
        return sheet;
    }
    notAWorkbook();
}
