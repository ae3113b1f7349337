#pragma once

#include <QList>
#include <QString>
#include <QVariant>
#include <functional>

// The cells of one worksheet read from a workbook file, by row and column from 0 (row 0 is the
// sheet's row 1). A cell is a QString, a number (double, or qint64 from an .xls integer cell),
// a bool, a QDateTime for a date, or null when empty.
class Worksheet {
public:
    // What every reader says of a file that is not a workbook it can read.
    static inline const QString NotAWorkbook = QStringLiteral("请选择EXCEL电子表格!");

    // Told now and then how far reading has got, in thousandths of the sheet.
    using Progress = std::function<void(int permille)>;

    // The first worksheet of an .xlsx or .xls file, told apart by their content rather than
    // their name. Throws StoreError(NotAWorkbook) for anything else: text, a damaged zip...
    static Worksheet readFirst(const QString &path, const Progress &progress = {});

    const QString &name() const { return m_name; }
    void setName(const QString &name) { m_name = name; }

    // Rows up to the last one holding a value.
    int rowCount() const { return int(m_rows.size()); }
    int columnCount(int row) const;
    QVariant cell(int row, int column) const;
    QString text(int row, int column) const { return cellText(cell(row, column)); }
    void setCell(int row, int column, const QVariant &value);

    // A cell as a spreadsheet shows it in a general cell: numbers keep their digits (1 is "1",
    // 12345678901234 stays whole, never an exponent), dates "2026-12-09" or
    // "2026-12-09 18:30:00", booleans "TRUE" and "FALSE".
    static QString cellText(const QVariant &cell);
    // A number with at most 15 significant digits, as a spreadsheet keeps it, in plain decimals.
    static QString numberText(double value);

private:
    QString m_name;
    QList<QVariantList> m_rows;
};
