// Expression text (UTF-8) parsed and evaluated over a few fields of every type, the page
// variables and the program's own functions.
#include "printing/ReportFunctions.h"
#include "report/Expression.h"
#include "report/ExpressionContext.h"
#include "report/UserFunctions.h"
#include "store/QuilletError.h"

#include <QDateTime>
#include <cstdint>
#include <limits>

namespace {

class SampleContext : public ExpressionContext {
public:
    QVariant field(const QString &, const QString &field) const override
    {
        static const QHash<QString, QVariant> fields = {
            {QStringLiteral("文本"), QStringLiteral("YD0001")},
            {QStringLiteral("金额"), QVariant::fromValue(Currency::fromUnits(12345000))},
            {QStringLiteral("最大金额"),
             QVariant::fromValue(Currency::fromUnits(std::numeric_limits<qint64>::max()))},
            {QStringLiteral("最小金额"),
             QVariant::fromValue(Currency::fromUnits(std::numeric_limits<qint64>::min()))},
            {QStringLiteral("整数"), qint64(3)},
            {QStringLiteral("最大整数"), std::numeric_limits<qint64>::max()},
            {QStringLiteral("最小整数"), std::numeric_limits<qint64>::min()},
            {QStringLiteral("小数"), 0.5},
            {QStringLiteral("日期"), QDate(2024, 5, 1)},
            {QStringLiteral("时间"), QDateTime(QDate(2024, 5, 1), QTime(8, 5, 9))},
            {QStringLiteral("是否"), true},
        };
        return fields.value(field);
    }
    QVariant variable(const QString &) const override { return qint64(2); }
    QVariant callUserFunction(const QString &name, const QVariantList &args) const override
    {
        return m_functions.frxReportUserFunction(name, args);
    }

private:
    ReportFunctions m_functions;
};

const UserFunctions &declared()
{
    static const UserFunctions functions = [] {
        UserFunctions f;
        for (const ReportFunctionDeclaration &d : reportFunctionDeclarations())
            f.add(d.declaration, d.category, d.description);
        return f;
    }();
    return functions;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString source = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        const Expression expression = Expression::parse(source, declared());
        const SampleContext context;
        expression.evaluate(context);
    } catch (const QuilletError &) {
    }
    return 0;
}
