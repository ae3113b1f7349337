#include "XlsxWriter.h"

#include "StoreError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <chrono>
#include <cstring>
#include <unzip.h>
#include <utility>
#include <xlsxwriter.h>

namespace {

[[noreturn]] void writeFailed(const QString &path, const QString &detail)
{
    throw StoreError(QStringLiteral("无法写入电子表格文件“%1”，导出没有完成。"
                                    "请检查磁盘空间和文件夹的写入权限。")
                         .arg(QDir::toNativeSeparators(path)),
                     detail);
}

[[noreturn]] void writeFailed(const QString &path, lxw_error error)
{
    if (error == LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE)
        throw StoreError(QStringLiteral("电子表格最多只能有1048576行、16384列"));
    writeFailed(path, QString::fromUtf8(lxw_strerror(error)));
}

// The bytes of sheet XML a workbook's first sheet inflates to; -1 when the file is no
// whole zip archive holding one.
qint64 sheetBytes(const QString &path)
{
    unzFile zip = unzOpen64(QFile::encodeName(path).constData());
    if (!zip)
        return -1;
    qint64 size = -1;
    unz_file_info64 info;
    if (unzLocateFile(zip, "xl/worksheets/sheet1.xml", 0) == UNZ_OK &&
        unzGetCurrentFileInfo64(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) == UNZ_OK)
        size = qint64(info.uncompressed_size);
    unzClose(zip);
    return size;
}

} // namespace

QString XlsxWriter::sheetName(const QString &title)
{
    QString name = title;
    for (QChar &c : name)
        if (QStringView(u"[]:*?/\\").contains(c))
            c = u'_';
    while (name.startsWith(u'\''))
        name.remove(0, 1);
    while (name.endsWith(u'\''))
        name.chop(1);
    // Counted in characters, as the spreadsheet counts them.
    const QList<uint> characters = name.toUcs4();
    if (characters.size() > 31)
        name = QString::fromUcs4(reinterpret_cast<const char32_t *>(characters.constData()), 31);
    while (name.endsWith(u'\''))
        name.chop(1);
    if (name.isEmpty())
        return QStringLiteral("Sheet1");
    if (name.compare(QLatin1String("History"), Qt::CaseInsensitive) == 0)
        return name + u'_';
    return name;
}

XlsxWriter::XlsxWriter(const QString &path, const QString &title) : m_path(path)
{
    // Rows go straight to a temporary file beside the workbook instead of into memory.
    m_folder = QFile::encodeName(QFileInfo(path).absolutePath());
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = m_folder.data();
    options.use_zip64 = LXW_TRUE;
    m_workbook = workbook_new_opt(QFile::encodeName(path).constData(), &options);
    if (!m_workbook)
        writeFailed(path, LXW_ERROR_CREATING_XLSX_FILE);
    m_text = workbook_add_format(m_workbook);
    format_set_num_format(m_text, "@");
    m_sheet = workbook_add_worksheet(m_workbook, sheetName(title).toUtf8().constData());
    if (!m_sheet || !m_text) {
        workbook_close(m_workbook);
        QFile::remove(path);
        writeFailed(path, LXW_ERROR_MEMORY_MALLOC_FAILED);
    }
    m_writing = std::async(std::launch::async, [this] { writeBatches(); }).share();
}

XlsxWriter::~XlsxWriter()
{
    m_batches.push({{}, {}, Batch::Then::Leave});
    m_writing.wait();
    if (m_workbook) {
        workbook_close(m_workbook);
        QFile::remove(m_path);
    }
}

void XlsxWriter::addRow(const QStringList &cells)
{
    std::vector<char> &bytes = m_pending.cells;
    for (const QString &cell : cells) {
        QStringView text = QStringView(cell).left(MaxCellText);
        if (text.size() == MaxCellText && text.back().isHighSurrogate())
            text.chop(1); // a character is not split in two
        const size_t at = bytes.size();
        bytes.resize(at + size_t(m_utf8.requiredSpace(text.size())) + 1);
        char *end = m_utf8.appendToBuffer(bytes.data() + at, text);
        *end++ = '\0';
        bytes.resize(size_t(end - bytes.data()));
        // An inline string cell, <c r="A1" t="inlineStr"><is><t>...</t></is></c>, or an
        // empty one, <c r="A1" s="1"/>.
        const qint64 length = end - (bytes.data() + at) - 1;
        m_leastSheetBytes += length == 0 ? 10 : 40 + length;
    }
    m_pending.rowWidths.push_back(int(cells.size()));
    m_columns = qMax(m_columns, int(cells.size()));
    if (m_pending.rowWidths.size() == 256)
        send(Batch::Then::More);
}

void XlsxWriter::close(const std::function<void()> &waiting)
{
    send(Batch::Then::Close);
    while (waiting &&
           m_writing.wait_for(std::chrono::milliseconds(100)) != std::future_status::ready)
        waiting();
    m_writing.get();
    // Rows go through a temporary file whose write errors the library does not check: a
    // full disk there leaves a workbook that closes without error but lacks rows.
    const qint64 written = sheetBytes(m_path);
    if (written < m_leastSheetBytes) {
        QFile::remove(m_path);
        writeFailed(m_path, QStringLiteral("sheet1.xml holds %1 bytes, %2 at least were written")
                                .arg(written)
                                .arg(m_leastSheetBytes));
    }
}

void XlsxWriter::send(Batch::Then then)
{
    m_pending.then = then;
    // The writing thread stops taking batches only when it failed: its error is passed on.
    if (!m_batches.push(std::exchange(m_pending, {})))
        m_writing.get();
}

void XlsxWriter::writeBatches()
{
    try {
        for (;;) {
            const Batch batch = m_batches.pop();
            writeBatch(batch);
            if (batch.then == Batch::Then::Close)
                closeWorkbook();
            if (batch.then != Batch::Then::More)
                return;
        }
    } catch (...) {
        m_batches.stop();
        throw;
    }
}

void XlsxWriter::writeBatch(const Batch &batch)
{
    const char *text = batch.cells.data();
    for (const int width : batch.rowWidths) {
        for (int c = 0; c < width; ++c) {
            const lxw_error error =
                worksheet_write_string(m_sheet, lxw_row_t(m_row), lxw_col_t(c), text, m_text);
            if (error != LXW_NO_ERROR)
                writeFailed(m_path, error);
            text += std::strlen(text) + 1;
        }
        ++m_row;
    }
}

void XlsxWriter::closeWorkbook()
{
    // Formatting the columns written rather than every column keeps the sheet's dimension to
    // the cells written, which other readers go through cell by cell.
    if (m_columns > 0)
        worksheet_set_column(m_sheet, 0, lxw_col_t(m_columns - 1), LXW_DEF_COL_WIDTH, m_text);
    lxw_workbook *workbook = m_workbook;
    m_workbook = nullptr;
    const lxw_error error = workbook_close(workbook);
    if (error != LXW_NO_ERROR) {
        QFile::remove(m_path);
        writeFailed(m_path, error);
    }
}
