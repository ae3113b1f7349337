// The record filter's text: parsed against a table of every column type and run over rows
// of every kind of value. An input whose first byte is '\x01' is instead a column name and
// a keyword (split at the first newline): the keyword search the record window builds
// must parse whatever the column is called and find the keyword where it stands.
#include "store/Currency.h"
#include "store/FieldValue.h"
#include "store/FilterExpression.h"
#include "store/RecordFilter.h"
#include "store/StoreError.h"

#include <QByteArray>
#include <QDateTime>
#include <cstdlib>
#include <limits>

namespace {

ColumnDef column(const char *name, FieldType type, int size = 0)
{
    ColumnDef c;
    c.name = QString::fromUtf8(name);
    c.type = type;
    c.size = size;
    return c;
}

const QList<ColumnDef> &columns()
{
    static const QList<ColumnDef> list{
        column("ID", FieldType::Counter),    column("名称", FieldType::Text, 20),
        column("金额", FieldType::Currency), column("数量", FieldType::Integer),
        column("重量", FieldType::Float),    column("填写日期", FieldType::DateTime),
        column("打印标记", FieldType::Bool), column("备注", FieldType::Memo),
        column("图片", FieldType::Binary),   column("其他", FieldType::Unknown)};
    return list;
}

QList<QVariantList> rows()
{
    const QDateTime day = FieldValue::wallClock(QDate(2026, 12, 9), QTime(18, 0));
    return {
        QVariantList(columns().size()),
        {qint64(1), QStringLiteral("成都华联"), QVariant::fromValue(Currency::fromUnits(12345000)),
         qint64(-3), 2.5, day, true, QStringLiteral("it's"), QByteArray("\x89PNG"),
         QStringLiteral("x")},
        {std::numeric_limits<qint64>::max(), QString(),
         QVariant::fromValue(Currency::fromUnits(-9999999999999999)),
         std::numeric_limits<qint64>::min(), std::numeric_limits<double>::quiet_NaN(),
         FieldValue::wallClock(QDate(1, 1, 1)), false, QStringLiteral("*%[]"), QByteArray(),
         qint64(7)},
    };
}

void keywordSearch(const QString &name, const QString &keyword)
{
    if (name.isEmpty() || keyword.trimmed().isEmpty())
        return;
    RecordFilter::Conditions c;
    c.keyword = keyword;
    c.textColumns = {name};
    c.printState = RecordFilter::PrintState::Any;
    ColumnDef text;
    text.name = name;
    text.declaredType = QStringLiteral("Text (255)");
    text.type = FieldType::Text;
    const QList<ColumnDef> table{column("ID", FieldType::Counter), text};
    try {
        const FilterExpression filter = FilterExpression::compile(RecordFilter::build(c), table);
        if (!filter.matches({qint64(1), u'<' + keyword.trimmed() + u'>'}))
            std::abort(); // the keyword stands in the row, yet the row is not found
    } catch (const StoreError &) {
        std::abort(); // the program's own filter must always parse
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    if (!bytes.isEmpty() && bytes[0] == '\x01') {
        const QByteArray rest = bytes.mid(1);
        const qsizetype newline = rest.indexOf('\n');
        if (newline >= 0)
            keywordSearch(QString::fromUtf8(rest.left(newline)),
                          QString::fromUtf8(rest.mid(newline + 1)));
        return 0;
    }
    try {
        const FilterExpression filter =
            FilterExpression::compile(QString::fromUtf8(bytes), columns());
        for (const QVariantList &row : rows())
            filter.matches(row);
    } catch (const StoreError &) {
    }
    return 0;
}
