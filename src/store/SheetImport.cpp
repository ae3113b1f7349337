#include "SheetImport.h"

#include "DataSet.h"
#include "FieldValue.h"
#include "StoreError.h"
#include "Worksheet.h"

#include <QScopeGuard>
#include <QSqlError>

namespace SheetImport {

namespace {

const QString Undone = QStringLiteral("\n本次导入已全部撤销，没有导入任何记录。");

[[noreturn]] void refuse(int row, int column, const ColumnDef &def, const QString &reason)
{
    throw StoreError(QStringLiteral("电子表格第%1行%2列（栏目“%3”）不能导入：%4")
                         .arg(row + 1)
                         .arg(columnLetters(column), def.name, reason) +
                     Undone);
}

void appendRow(DataSet &table, const Worksheet &sheet, int row, const QList<int> &targets)
{
    table.append();
    if (table.state() != DataSet::State::Insert)
        throw StoreError(QStringLiteral("电子表格第%1行不能导入：数据表不接受新记录").arg(row + 1) +
                         Undone);
    for (int k : targets) {
        const ColumnDef &column = table.columns()[k];
        const QVariant cell = sheet.cell(row, k);
        const auto value = valueFor(cell, column);
        if (!value) {
            if (column.type == FieldType::Bool)
                refuse(row, k, column, QStringLiteral("只能填写True、False或数字"));
            refuse(row, k, column,
                   QStringLiteral("“%1”不是这个栏目能接受的值").arg(Worksheet::cellText(cell)));
        }
        try {
            table.setFieldValue(k, *value);
        } catch (const StoreError &e) {
            refuse(row, k, column, e.message());
        }
    }
    try {
        table.post();
    } catch (const StoreError &e) {
        throw StoreError(
            QStringLiteral("电子表格第%1行不能导入：%2").arg(row + 1).arg(e.message()) + Undone);
    }
}

void undo(DataSet &table)
{
    table.database().rollback();
    table.reopen();
}

} // namespace

QString columnLetters(int column)
{
    QString letters;
    for (int n = column + 1; n > 0; n = (n - 1) / 26)
        letters.prepend(QChar(u'A' + (n - 1) % 26));
    return letters;
}

QList<int> dataRows(const Worksheet &sheet)
{
    QList<int> rows;
    for (int row = 1; row < sheet.rowCount(); ++row)
        if (!sheet.text(row, 0).trimmed().isEmpty())
            rows << row;
    return rows;
}

std::optional<QVariant> valueFor(const QVariant &cell, const ColumnDef &column)
{
    if (column.type != FieldType::Bool) {
        const QString text = Worksheet::cellText(cell);
        // Empty is empty whether the cell is blank or holds empty text: a required column
        // refuses both.
        if (text.isEmpty())
            return QVariant();
        return FieldValue::parse(text, column.type);
    }
    if (cell.typeId() == QMetaType::Bool)
        return cell;
    const QString text = Worksheet::cellText(cell).trimmed();
    bool isNumber = false;
    const double number = text.toDouble(&isNumber);
    if (isNumber)
        return QVariant(number != 0);
    if (text.isEmpty())
        return std::nullopt;
    return FieldValue::parse(text, FieldType::Bool);
}

std::optional<int> appendRows(DataSet &table, const Worksheet &sheet, const QStringList &excluded,
                              const Progress &progress)
{
    const QList<int> rows = dataRows(sheet);
    if (!table.isOpen())
        table.open();
    table.checkBrowseMode();
    QList<int> targets;
    for (qsizetype k = 0; k < table.columns().size(); ++k) {
        const ColumnDef &column = table.columns()[k];
        if (column.type != FieldType::Counter && column.type != FieldType::Binary &&
            !excluded.contains(column.name, Qt::CaseInsensitive))
            targets << int(k);
    }

    table.setBatchMode(true);
    const auto batchEnds = qScopeGuard([&table] { table.setBatchMode(false); });
    QSqlDatabase db = table.database();
    if (!db.transaction())
        throw StoreError(QStringLiteral("无法开始导入：%1").arg(db.lastError().text()));
    int done = 0;
    try {
        for (int row : rows) {
            appendRow(table, sheet, row, targets);
            ++done;
            if (progress && (done % 100 == 0 || done == rows.size()) &&
                !progress(done, int(rows.size()))) {
                undo(table);
                return std::nullopt;
            }
        }
        if (!db.commit())
            throw StoreError(QStringLiteral("导入没有完成：%1").arg(db.lastError().text()) +
                             Undone);
    } catch (...) {
        undo(table);
        throw;
    }
    table.first();
    return done;
}

} // namespace SheetImport
