#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The cells of one worksheet read from a workbook file, by row and column from 0 (row 0 is the
// sheet's row 1). A cell is a QString, a number (double, or qint64 from an .xls integer cell),
// a bool, a QDateTime for a date, or null when empty. Only the cells holding a value are
// kept, so a lone value in the last column costs one cell, not a row of 16384.
class Worksheet {
public:
    // What every reader says of a file that is not a workbook it can read.
    static inline const QString NotAWorkbook = QStringLiteral("请选择EXCEL电子表格!");
    // What a reader says of a sheet holding more than it may keep.
    static inline const QString TooLarge =
        QStringLiteral("电子表格太大，无法读取：工作表中的单元格或文字超过了程序能处理的限度"
                       "（最多1000万个单元格）。请把它分成几个较小的文件。");

    // The largest sheet a spreadsheet makes, and the most cells a sheet read may keep.
    static constexpr int MaxRows = 1048576;
    static constexpr int MaxColumns = 16384;
    static constexpr qint64 MaxCells = 10'000'000;

    // Cells right of columnLimit are dropped as they come: a reader for a table of n columns
    // keeps n. More than cellLimit cells throws StoreError(TooLarge).
    explicit Worksheet(int columnLimit = MaxColumns, qint64 cellLimit = MaxCells)
        : m_columnLimit(columnLimit), m_cellLimit(cellLimit)
    {
    }

    // Told now and then how far reading has got, in thousandths of the sheet.
    using Progress = std::function<void(int permille)>;

    // The first worksheet of an .xlsx or .xls file, told apart by their content rather than
    // their name, keeping the cells of its first columnLimit columns. Throws
    // StoreError(NotAWorkbook) for anything else: text, a damaged zip...; StoreError(TooLarge)
    // for a sheet past the limits.
    static Worksheet readFirst(const QString &path, const Progress &progress = {},
                               int columnLimit = MaxColumns);

    // A run of the sheet's rows, with how far reading has got, in thousandths of the sheet.
    using RunTaken = std::function<void(Worksheet &&run, int permille)>;
    // The same sheet handed over a run of whole rows at a time, as it is read, so that a long
    // sheet is never held whole: each run holds the rows from its firstRow() on. Throws as
    // readFirst does, and what taken throws stops the reading.
    static void readFirstInRuns(const QString &path, const RunTaken &taken,
                                int columnLimit = MaxColumns);

    const QString &name() const { return m_name; }
    void setName(const QString &name) { m_name = name; }

    // Rows up to the last one holding a value.
    int rowCount() const { return m_firstRow + int(m_rows.size()); }
    // The first row this sheet holds: above it, no row is kept. Set on an empty sheet only.
    int firstRow() const { return m_firstRow; }
    void setFirstRow(int row);
    // Columns up to the last one of the row holding a value.
    int columnCount(int row) const;
    QVariant cell(int row, int column) const;
    QString text(int row, int column) const { return cellText(cell(row, column)); }
    // A null value is no cell. Rows and columns past a spreadsheet's size throw
    // StoreError(NotAWorkbook).
    void setCell(int row, int column, const QVariant &value);
    // The same for text given as UTF-8, kept as it is until the cell is read, and for the
    // sharedStrings()'s text at index.
    void setText(int row, int column, std::string_view utf8);
    void setSharedText(int row, int column, qsizetype index);
    // The texts that cells may share; cells name them by index.
    void setSharedStrings(const QStringList &strings) { m_shared = strings; }
    const QStringList &sharedStrings() const { return m_shared; }
    int columnLimit() const { return m_columnLimit; }
    // Every cell holding a value, row by row, left to right.
    void forEachCell(const std::function<void(int row, int column, const QVariant &)> &f) const;

    // A cell as a spreadsheet shows it in a general cell: numbers keep their digits (1 is "1",
    // 12345678901234 stays whole, never an exponent), dates "2026-12-09" or
    // "2026-12-09 18:30:00", booleans "TRUE" and "FALSE".
    static QString cellText(const QVariant &cell);
    // A number with at most 15 significant digits, as a spreadsheet keeps it, in plain decimals.
    static QString numberText(double value);

private:
    // A million cells as QVariants would be a million small allocations: texts are kept end
    // to end in one buffer instead, and only what is neither text nor a number is a QVariant.
    enum class Kind : quint8 { Text, Shared, Number, Other };
    struct Cell {
        quint16 column; // below MaxColumns
        Kind kind;
        quint32 size; // Text: its bytes
        union {
            double number;
            // Text: its block in m_textBlocks (high 32 bits) and where in it; Shared and
            // Other: the index
            qint64 offset;
        };
    };
    // Throws StoreError(NotAWorkbook) for a place past a spreadsheet's size.
    static void checkPlace(int row, int column);
    // Stores the cell in its place, replacing one already there.
    void put(int row, int column, Cell cell);
    // Each row's cells in column order, from m_firstRow on.
    QList<QList<Cell>> m_rows;
    int m_firstRow = 0;
    std::vector<std::string> m_textBlocks;
    QStringList m_shared;
    QList<QVariant> m_others;
    QString m_name;
    int m_columnLimit;
    qint64 m_cellLimit;
    qint64 m_cellCount = 0;
};
