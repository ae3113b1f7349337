#pragma once

#include "ColumnDef.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class DataSet;
class IniFile;

// What is done to a form kind's records alike from the record window and from the command
// line: the defaults of a new record, the columns a keyword is looked for in, the copies to
// print, marking the printed records and their rows as a workbook shows them.
namespace KindRecords {

// The columns an import into the main table leaves alone.
inline const QString MainImportExclusions = QStringLiteral("ID;打印标记;填写日期");
// What a sheet without rows to import is answered.
inline const QString NoRowsToImport =
    QStringLiteral("电子表格中没有可以导入的数据：数据从第2行开始，每行的第一格不能空着。");
// The copies box of a window opened before any settings were stored.
inline const QString FirstCopies = QStringLiteral("2");

// The copies to print as the settings file stores them (key copies of [Option], "1" when
// the key is missing); FirstCopies when there is no settings file.
QString storedCopies(const IniFile &settings);

// A new record's stored text defaults, and today as its fill date.
void applyNewRecordDefaults(DataSet &table);

// The text columns, in column order: where the filter's keyword is looked for.
QStringList textColumns(const QList<ColumnDef> &columns);

// The number of copies a text gives (a negative one prints none). Throws StoreError when
// the text is not a whole number.
int copiesNumber(const QString &text);

// Flags every record in view printed. The filter goes off while they are marked, so that a
// record leaving the view once marked does not shift the rest, and is back on at the end,
// also when a record is refused: those marked before it stay marked, and the StoreError is
// passed on.
void markViewPrinted(DataSet &table);

// A workbook's title row (every column, hidden ones too), and each row in view as text, in
// view order, until f returns false.
QStringList workbookTitles(const DataSet &table);
void forEachWorkbookRow(const DataSet &table, const std::function<bool(const QStringList &)> &f);

} // namespace KindRecords
