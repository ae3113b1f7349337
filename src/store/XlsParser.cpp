#include "XlsParser.h"

#include "BiffCells.h"
#include "NumberFormat.h"
#include "StoreError.h"

#include <QDateTime>
#include <QFileInfo>
#include <freexl.h>

namespace {

class XlsFile {
public:
    explicit XlsFile(const QString &path)
    {
        if (freexl_open(QFile::encodeName(path).constData(), &m_handle) != FREEXL_OK)
            m_handle = nullptr;
    }
    ~XlsFile()
    {
        if (m_handle)
            freexl_close(m_handle);
    }
    XlsFile(const XlsFile &) = delete;
    XlsFile &operator=(const XlsFile &) = delete;

    const void *handle() const { return m_handle; }

private:
    const void *m_handle = nullptr;
};

QVariant cellValue(const FreeXL_CellValue &cell)
{
    // Only the text kinds (dates and times included) carry text_value.
    const auto text = [&cell] { return QString::fromUtf8(cell.value.text_value); };
    switch (cell.type) {
    case FREEXL_CELL_INT:
        return QVariant(qint64(cell.value.int_value));
    case FREEXL_CELL_DOUBLE:
        return QVariant(cell.value.double_value);
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
        return text();
    case FREEXL_CELL_DATE:
        return QVariant(QDate::fromString(text(), QStringLiteral("yyyy-MM-dd")).startOfDay());
    case FREEXL_CELL_DATETIME:
        return QVariant(QDateTime::fromString(text(), QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    case FREEXL_CELL_TIME: {
        // A time alone falls on the first day of the serial count, as in .xlsx.
        const QTime time = QTime::fromString(text(), QStringLiteral("HH:mm:ss"));
        return time.isValid() ? QVariant(QDateTime(QDate(1899, 12, 30), time)) : QVariant(text());
    }
    default:
        return QVariant();
    }
}

// Puts back what freexl's text lost: a date cell's own serial number, time of day included,
// and a boolean where freexl gives 0 or 1.
void restoreRawValues(const BiffCells &biff, bool date1904, Worksheet &sheet)
{
    biff.visitFirstSheet([&](int row, int column, const BiffCells::Value &raw) {
        const QVariant cell = sheet.cell(row, column);
        if (raw.isBoolean && cell.typeId() == QMetaType::LongLong &&
            cell.toLongLong() == (raw.flag ? 1 : 0)) {
            sheet.setCell(row, column, raw.flag);
        } else if (!raw.isBoolean && cell.typeId() == QMetaType::QDateTime) {
            const QVariant date = NumberFormat::dateFromSerial(raw.number, date1904);
            if (date.typeId() == QMetaType::QDateTime)
                sheet.setCell(row, column, date);
        }
    });
}

} // namespace

Worksheet XlsParser::readFirstSheet(const QString &path, const Worksheet::Progress &progress)
{
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > MaxFileBytes)
        throw StoreError(Worksheet::NotAWorkbook);
    const BiffCells biff(path);
    if (!biff.isWorkbook())
        throw StoreError(Worksheet::NotAWorkbook);

    XlsFile file(path);
    const void *xls = file.handle();
    unsigned int password = 0;
    if (!xls || freexl_get_info(xls, FREEXL_BIFF_PASSWORD, &password) != FREEXL_OK ||
        password == FREEXL_BIFF_OBFUSCATED || freexl_select_active_worksheet(xls, 0) != FREEXL_OK)
        throw StoreError(Worksheet::NotAWorkbook);

    unsigned int dateMode = 0;
    if (freexl_get_info(xls, FREEXL_BIFF_DATEMODE, &dateMode) != FREEXL_OK)
        throw StoreError(Worksheet::NotAWorkbook);
    Worksheet sheet;
    const char *name = nullptr;
    if (freexl_get_worksheet_name(xls, 0, &name) == FREEXL_OK && name)
        sheet.setName(QString::fromUtf8(name));
    unsigned int rows = 0;
    unsigned short columns = 0;
    if (freexl_worksheet_dimensions(xls, &rows, &columns) != FREEXL_OK)
        throw StoreError(Worksheet::NotAWorkbook);
    for (unsigned int r = 0; r < rows; ++r) {
        if (progress && r % 256 == 0)
            progress(int(qint64(r) * 1000 / rows));
        for (unsigned short c = 0; c < columns; ++c) {
            FreeXL_CellValue cell;
            if (freexl_get_cell_value(xls, r, c, &cell) != FREEXL_OK)
                throw StoreError(Worksheet::NotAWorkbook);
            sheet.setCell(int(r), int(c), cellValue(cell));
        }
    }
    restoreRawValues(biff, dateMode == FREEXL_BIFF_DATEMODE_1904, sheet);
    return sheet;
}
