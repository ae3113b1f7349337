#pragma once

#include <QString>
#include <QStringList>

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

// Writes a new .xlsx workbook of one sheet, row after row, every value as text. Every cell
// written, and every cell of the columns written, has the text number format "@", so codes
// keep their leading zeros and nothing typed later is reinterpreted. Errors are thrown as
// StoreError; close() also checks that the workbook holds every row written.
class XlsxWriter {
public:
    // Longest text a cell holds; longer values are cut there.
    static constexpr int MaxCellText = 32767;

    XlsxWriter(const QString &path, const QString &title);
    ~XlsxWriter(); // a workbook never closed is removed
    XlsxWriter(const XlsxWriter &) = delete;
    XlsxWriter &operator=(const XlsxWriter &) = delete;

    void addRow(const QStringList &cells);
    void close();

    // The title made into a name a spreadsheet accepts for a sheet: each of the characters
    // []:*?/\ becomes "_", apostrophes at either end go, at most 31 characters, "Sheet1" for
    // nothing left and "History_" for the reserved name History.
    static QString sheetName(const QString &title);

private:
    QString m_path;
    QByteArray m_folder;
    lxw_workbook *m_workbook = nullptr;
    lxw_worksheet *m_sheet = nullptr;
    lxw_format *m_text = nullptr;
    int m_row = 0;
    int m_columns = 0;
    qint64 m_leastSheetBytes = 0; // what the sheet's XML must hold at least
};
