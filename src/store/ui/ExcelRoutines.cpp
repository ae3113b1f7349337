#include "ExcelRoutines.h"

#include "shell/Messages.h"

// Workbooks are not read or written yet: every routine says so and does nothing.
namespace {
void notYet(QWidget *parent)
{
    Messages::information(parent, QStringLiteral("电子表格功能尚未提供"));
}
} // namespace

void ExportGridToExcel(QWidget *parent, DataSet *, const QString &)
{
    notYet(parent);
}

void ExportStructureToExcel(QWidget *parent, const QStringList &, const QString &)
{
    notYet(parent);
}

bool ReadExcelTitles(QWidget *parent, QStringList *)
{
    notYet(parent);
    return false;
}

bool ImportExcelRows(QWidget *parent, DataSet *, const QString &)
{
    notYet(parent);
    return false;
}
