#pragma once

#include <QString>
#include <QStringList>

class DataSet;
class QWidget;

// Moving rows and field titles between the program and spreadsheet workbooks (.xlsx, .xls).
// Exports write a new workbook into a temporary folder and open it in the desktop's
// spreadsheet program, or tell the user where it is when no program takes it; the sheet is
// named by the title, made acceptable as a sheet name (XlsxWriter::sheetName). Exports throw
// StoreError when the workbook cannot be written, with the normal cursor back. Imports read
// a file the user picks; a file that is no workbook is answered "请选择EXCEL电子表格!".

// Titles of every column (hidden ones included) in row 1, then one row per row in view of
// the data set, every cell as text: money as plain digits ("1234.5"), dates "2026-12-09",
// yes/no "True" or "False". A closed data set writes nothing.
void ExportGridToExcel(QWidget *parent, DataSet *dataSet, const QString &title);
// The field names across row 1 of a new workbook.
void ExportStructureToExcel(QWidget *parent, const QStringList &fieldNames, const QString &title);
// Appends the titles of the first sheet's first row of a picked workbook (an empty title
// between others as "F" and its column number); false when the user cancelled or the sheet
// has no titles, which the user is told.
bool ReadExcelTitles(QWidget *parent, QStringList *titles);
// Appends the rows of a picked workbook's first sheet (from row 2 to its end, sheet column k
// into table column k, a row whose first cell is blank skipped) to the open table through its
// append, so that its afterInsert defaults apply, leaving alone the columns of the
// ";"-separated exclusion list (case ignored), counters and pictures. Cells are read as
// SheetImport::valueFor says. All or nothing: a cell its column cannot take stops the
// import, names the sheet row and column, and no row of the import stays. Long imports show
// their progress and can be cancelled. False when cancelled or nothing was imported.
bool ImportExcelRows(QWidget *parent, DataSet *table, const QString &exclusions);
