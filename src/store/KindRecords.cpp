#include "KindRecords.h"

#include "DataSet.h"
#include "FieldValue.h"
#include "IniFile.h"
#include "PostGroup.h"
#include "QuilletError.h"
#include "StoreError.h"

#include <QDate>

namespace {
const QString FillDate = QStringLiteral("填写日期");
} // namespace

void KindRecords::applyNewRecordDefaults(DataSet &table)
{
    const QList<ColumnDef> &columns = table.columns();
    try {
        for (int c = 0; c < columns.size(); ++c)
            if (columns[c].type == FieldType::Text && !columns[c].defaultText.isEmpty())
                table.setFieldValue(c, columns[c].defaultText);
    } catch (const QuilletError &) {
        // A default the column refuses is passed over; the defaults set so far stay.
    }
    const int fillDate = table.columnIndex(FillDate);
    if (fillDate >= 0 && table.fieldValue(fillDate).isNull())
        table.setFieldValue(fillDate, QDate::currentDate());
}

QString KindRecords::storedCopies(const IniFile &settings)
{
    if (!settings.exists())
        return FirstCopies;
    return settings.readString(QStringLiteral("Option"), QStringLiteral("copies"),
                               QStringLiteral("1"));
}

QStringList KindRecords::textColumns(const QList<ColumnDef> &columns)
{
    QStringList names;
    for (const ColumnDef &column : columns)
        if (column.type == FieldType::Text)
            names << column.name;
    return names;
}

int KindRecords::copiesNumber(const QString &text)
{
    bool ok = false;
    const int copies = text.trimmed().toInt(&ok);
    if (!ok)
        throw StoreError(QStringLiteral("打印份数“%1”不是有效的整数。").arg(text));
    return copies;
}

void KindRecords::markViewPrinted(DataSet &table)
{
    const int idColumn = table.columnIndex(QStringLiteral("ID"));
    QVariantList ids;
    for (int row = 0; row < table.rowCount(); ++row)
        ids << table.value(row, idColumn);
    table.setFiltered(false);
    PostGroup marks(table);
    try {
        for (const QVariant &id : ids) {
            if (!table.locate(QStringLiteral("ID"), id))
                continue;
            table.edit();
            table.setFieldValue(QStringLiteral("打印标记"), true);
            table.post();
        }
    } catch (const QuilletError &) {
        // The view the user chose comes back before the error is told.
        table.cancel();
        table.setFiltered(true);
        marks.finish();
        throw;
    }
    table.setFiltered(true);
    marks.finish();
}

QStringList KindRecords::workbookTitles(const DataSet &table)
{
    QStringList titles;
    for (const ColumnDef &column : table.columns())
        titles << column.name;
    return titles;
}

void KindRecords::forEachWorkbookRow(const DataSet &table,
                                     const std::function<bool(const QStringList &)> &f)
{
    // Money as plain digits ("1234.5"), dates "2026-12-09", yes/no "True" or "False"; a
    // picture only says that it is there.
    const QList<ColumnDef> &columns = table.columns();
    table.forEachRow([&](const QVariantList &values) {
        QStringList cells;
        cells.reserve(columns.size());
        for (qsizetype c = 0; c < columns.size(); ++c) {
            const QVariant &value = values[c];
            cells << (columns[c].type == FieldType::Binary
                          ? (value.toByteArray().isEmpty() ? QString() : QStringLiteral("(图片)"))
                          : FieldValue::toText(value, columns[c].type));
        }
        return f(cells);
    });
}
