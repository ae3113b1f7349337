#pragma once

#include "ColumnDef.h"
#include "StoreError.h"

#include <QList>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <optional>

class DataSet;

// Appending the rows of a worksheet to a table, by position: sheet column k feeds table
// column k, the title row is not read and the titles play no part.
namespace SheetImport {

// Told how much of the file has been read, in thousandths; returns false to stop the import.
using Progress = std::function<bool(int permille)>;

// What importWorkbook throws when the workbook cannot be read: the reader's own message
// (Worksheet::NotAWorkbook, Worksheet::TooLarge...), not a refusal of the import.
class Unreadable : public StoreError {
public:
    using StoreError::StoreError;
};

// What a cell gives a column: its text through the column's own reading, an empty cell
// emptying the column (null), except that a yes/no column takes a boolean, a number (0 is
// no, any other yes) or the words True and False (and 是/否, yes/no) in any case, and
// nothing else: an empty cell is refused there too. nullopt when the column cannot take it.
std::optional<QVariant> valueFor(const QVariant &cell, const ColumnDef &column);

// Reads the first worksheet of the workbook at path and appends its data rows, from the
// sheet's second row on those whose first cell, trimmed, is not empty. The file is read on a
// thread of its own, a few runs of rows ahead of the rows going in, and no more of the sheet
// is ever held; sheet columns past the table's are not read.
// Each row goes in through DataSet::append, so the table's afterInsert defaults apply, sets
// every column not named in excluded (case ignored) from its cell and is posted. Counter
// columns are numbered by the database and pictures cannot come from a cell: both are left
// alone. All or nothing: the rows go in one transaction; a cell its column refuses stops the
// import with a StoreError naming the sheet row and column, a file that cannot be read with
// Unreadable, progress returning false stops it quietly, and each way the transaction is rolled
// back and the table reopened. Returns how many rows were imported, 0 when the sheet holds no data
// rows (nothing is changed then), nullopt when progress stopped it.
std::optional<int> importWorkbook(DataSet &table, const QString &path, const QStringList &excluded,
                                  const Progress &progress = {});

// "A" for column 0, "AA" for column 26: a column as the spreadsheet names it.
QString columnLetters(int column);

} // namespace SheetImport
