#pragma once

#include <QString>
#include <QStringList>

class DataSet;
class QWidget;

// Moving rows and field titles between the program and spreadsheet workbooks (.xlsx, .xls).
// Exports write a new workbook into a temporary folder and open it in the desktop's
// spreadsheet program; imports read a file the user picks.

// Titles of every column (hidden ones included) in row 1, then one row per row of the data
// set, every cell as text. A closed data set writes nothing.
void ExportGridToExcel(QWidget *parent, DataSet *dataSet, const QString &title);
// The field names across row 1 of a new workbook.
void ExportStructureToExcel(QWidget *parent, const QStringList &fieldNames, const QString &title);
// Appends the titles of the first sheet's first row of a picked workbook; false when the
// user cancelled or the sheet has no titles.
bool ReadExcelTitles(QWidget *parent, QStringList *titles);
// Appends the rows of a picked workbook's first sheet (from row 2, sheet column k into table
// column k) to the open table, leaving the columns of the ";"-separated exclusion list alone.
// All or nothing: a cell its column cannot take stops the import, names the sheet row and
// column, and no row of the import stays. False when cancelled or nothing was imported.
bool ImportExcelRows(QWidget *parent, DataSet *table, const QString &exclusions);
