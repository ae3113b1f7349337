#pragma once

#include "HandOver.h"

#include <QString>
#include <QStringEncoder>
#include <QStringList>
#include <functional>
#include <future>
#include <vector>

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

// Writes a new .xlsx workbook of one sheet, row after row, every value as text. Every cell
// written, and every cell of the columns written, has the text number format "@", so codes
// keep their leading zeros and nothing typed later is reinterpreted. The rows are written, and
// the workbook compressed, on a thread of its own while the caller makes the next rows. Errors
// are thrown as StoreError, those of the writing by a later addRow() or by close();
// close() also checks that the workbook holds every row written.
class XlsxWriter {
public:
    // Longest text a cell holds; longer values are cut there, before a character that would
    // be split.
    static constexpr int MaxCellText = 32767;

    XlsxWriter(const QString &path, const QString &title);
    ~XlsxWriter(); // a workbook never closed is removed
    XlsxWriter(const XlsxWriter &) = delete;
    XlsxWriter &operator=(const XlsxWriter &) = delete;

    void addRow(const QStringList &cells);
    // Waits for the rows to be written and the workbook closed, calling waiting about every
    // tenth of a second meanwhile: compressing a large sheet takes seconds.
    void close(const std::function<void()> &waiting = {});

    // The title made into a name a spreadsheet accepts for a sheet: each of the characters
    // []:*?/\ becomes "_", apostrophes at either end go, at most 31 characters, "Sheet1" for
    // nothing left and "History_" for the reserved name History.
    static QString sheetName(const QString &title);

private:
    // Rows for the writing thread, already in UTF-8, so that it shares no strings with the
    // thread making them; after them it closes the workbook, or leaves it.
    struct Batch {
        std::vector<char> cells;    // each cell's text followed by a NUL
        std::vector<int> rowWidths; // how many cells each row has
        enum class Then { More, Close, Leave } then = Then::More;
    };

    void send(Batch::Then then);
    void writeBatches();
    void writeBatch(const Batch &batch);
    void closeWorkbook();

    QString m_path;
    QByteArray m_folder;
    lxw_workbook *m_workbook = nullptr;
    lxw_worksheet *m_sheet = nullptr;
    lxw_format *m_text = nullptr;
    int m_row = 0;                // the next row the writing thread writes
    int m_columns = 0;            // the most cells a row was given
    qint64 m_leastSheetBytes = 0; // what the sheet's XML must hold at least
    Batch m_pending;              // rows not yet handed over
    QStringEncoder m_utf8{QStringEncoder::Utf8, QStringConverter::Flag::Stateless};
    HandOver<Batch> m_batches;
    std::shared_future<void> m_writing; // the writing thread, and how it ended
};
