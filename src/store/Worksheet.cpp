#include "Worksheet.h"

#include "StoreError.h"
#include "XlsReader.h"
#include "XlsxReader.h"

#include <QDateTime>
#include <QFile>
#include <algorithm>
#include <cmath>

namespace {

enum class Format { Xlsx, Xls };

// An .xlsx is a zip archive; an .xls is a compound document. Told apart by their content
// rather than their name.
Format formatOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw StoreError(Worksheet::NotAWorkbook);
    const QByteArray head = file.read(8);
    if (head.startsWith("PK\x03\x04"))
        return Format::Xlsx;
    if (head == QByteArray::fromHex("d0cf11e0a1b11ae1"))
        return Format::Xls;
    throw StoreError(Worksheet::NotAWorkbook);
}

} // namespace

Worksheet Worksheet::readFirst(const QString &path, const Progress &progress, int columnLimit)
{
    if (formatOf(path) == Format::Xlsx)
        return XlsxReader::readFirstSheet(path, progress, columnLimit);
    return XlsReader::readFirstSheet(path, progress, columnLimit);
}

void Worksheet::readFirstInRuns(const QString &path, const RunTaken &taken, int columnLimit)
{
    if (formatOf(path) == Format::Xlsx)
        XlsxReader::readFirstSheet(path, {}, columnLimit, taken);
    else
        taken(XlsReader::readFirstSheet(path, {}, columnLimit), 1000);
}

void Worksheet::setFirstRow(int row)
{
    Q_ASSERT(m_rows.isEmpty());
    checkPlace(row, 0);
    m_firstRow = row;
}

int Worksheet::columnCount(int row) const
{
    const qsizetype index = qsizetype(row) - m_firstRow;
    if (index < 0 || index >= m_rows.size() || m_rows[index].isEmpty())
        return 0;
    return m_rows[index].last().column + 1;
}

QVariant Worksheet::cell(int row, int column) const
{
    const qsizetype index = qsizetype(row) - m_firstRow;
    if (index < 0 || index >= m_rows.size())
        return QVariant();
    const QList<Cell> &cells = m_rows[index];
    const auto it = std::lower_bound(cells.begin(), cells.end(), column,
                                     [](const Cell &c, int col) { return c.column < col; });
    if (it == cells.end() || it->column != column)
        return QVariant();
    switch (it->kind) {
    case Kind::Text:
        return QString::fromUtf8(
            m_textBlocks[size_t(it->offset >> 32)].data() + (it->offset & 0xffffffff), it->size);
    case Kind::Shared:
        return m_shared.value(it->offset);
    case Kind::Number:
        return it->number;
    case Kind::Other:
        break;
    }
    return m_others[it->offset];
}

void Worksheet::setCell(int row, int column, const QVariant &value)
{
    if (value.isNull()) {
        checkPlace(row, column);
        return;
    }
    Cell cell{0, Kind::Number, 0, {}};
    switch (value.typeId()) {
    case QMetaType::QString: {
        const QByteArray utf8 = value.toString().toUtf8();
        setText(row, column, std::string_view(utf8.constData(), size_t(utf8.size())));
        return;
    }
    case QMetaType::Double:
        cell.number = value.toDouble();
        break;
    default:
        cell.kind = Kind::Other;
        cell.offset = m_others.size();
        m_others << value;
    }
    put(row, column, cell);
}

void Worksheet::setText(int row, int column, std::string_view utf8)
{
    // Blocks are filled and never grown, so that no text is ever copied to make room. They
    // start small, since a run of a sheet's rows holds little text, and double up to 1 MB.
    if (m_textBlocks.empty() ||
        m_textBlocks.back().size() + utf8.size() > m_textBlocks.back().capacity()) {
        const size_t blockBytes = size_t(64 << 10) << qMin(m_textBlocks.size(), size_t(4));
        std::string block;
        block.reserve(std::max(blockBytes, utf8.size()));
        m_textBlocks.push_back(std::move(block));
    }
    std::string &block = m_textBlocks.back();
    Cell cell{0, Kind::Text, quint32(utf8.size()), {}};
    cell.offset = qint64(m_textBlocks.size() - 1) << 32 | qint64(block.size());
    put(row, column, cell);
    if (column < m_columnLimit)
        block.append(utf8);
}

void Worksheet::setSharedText(int row, int column, qsizetype index)
{
    Cell cell{0, Kind::Shared, 0, {}};
    cell.offset = index;
    put(row, column, cell);
}

void Worksheet::checkPlace(int row, int column)
{
    if (row < 0 || row >= MaxRows || column < 0 || column >= MaxColumns)
        throw StoreError(NotAWorkbook);
}

void Worksheet::put(int row, int column, Cell cell)
{
    checkPlace(row, column);
    if (column >= m_columnLimit)
        return;
    cell.column = quint16(column);
    const qsizetype index = qsizetype(row) - m_firstRow;
    // Rows above the first were handed over with an earlier run of the sheet.
    if (index < 0)
        throw StoreError(NotAWorkbook);
    if (index >= m_rows.size())
        m_rows.resize(index + 1);
    QList<Cell> &cells = m_rows[index];
    // The rows of a sheet are mostly alike: room for as many cells as the row above holds.
    if (cells.isEmpty() && index > 0)
        cells.reserve(m_rows[index - 1].size());
    // Readers give cells left to right, so appending is the usual case.
    auto it = cells.end();
    if (!cells.isEmpty() && cells.last().column >= column)
        it = std::lower_bound(cells.begin(), cells.end(), column,
                              [](const Cell &c, int col) { return c.column < col; });
    if (it != cells.end() && it->column == column) {
        *it = cell;
        return;
    }
    if (m_cellCount >= m_cellLimit)
        throw StoreError(TooLarge);
    cells.insert(it, cell);
    ++m_cellCount;
}

void Worksheet::forEachCell(
    const std::function<void(int row, int column, const QVariant &)> &f) const
{
    for (int row = m_firstRow; row < rowCount(); ++row)
        for (const Cell &cell : m_rows[row - m_firstRow])
            f(row, cell.column, this->cell(row, cell.column));
}

QString Worksheet::numberText(double value)
{
    if (!std::isfinite(value))
        return QString::number(value);
    if (value == 0)
        return QStringLiteral("0");
    const int magnitude = int(std::floor(std::log10(std::fabs(value))));
    const int decimals = qBound(0, 14 - magnitude, 340);
    QString text = QString::number(value, 'f', decimals);
    if (text.contains(u'.')) {
        while (text.endsWith(u'0'))
            text.chop(1);
        if (text.endsWith(u'.'))
            text.chop(1);
    }
    return text == u"-0" ? QStringLiteral("0") : text;
}

QString Worksheet::cellText(const QVariant &cell)
{
    switch (cell.typeId()) {
    case QMetaType::UnknownType:
        return QString();
    case QMetaType::Double:
        return numberText(cell.toDouble());
    case QMetaType::Bool:
        return cell.toBool() ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    case QMetaType::QDateTime: {
        const QDateTime d = cell.toDateTime();
        return d.time() == QTime(0, 0) ? d.toString(QStringLiteral("yyyy-MM-dd"))
                                       : d.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    }
    default:
        return cell.toString();
    }
}
