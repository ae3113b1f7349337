#include "report/EngineValues.h"
#include "report/Expression.h"
#include "report/ExpressionContext.h"
#include "report/ReportError.h"
#include "report/TextExpression.h"
#include "report/UserFunctions.h"
#include "store/Currency.h"

#include <QDateTime>
#include <QTest>
#include <stdexcept>

using Type = EngineValues::Type;
Q_DECLARE_METATYPE(EngineValues::Type)

namespace {

QVariant money(qint64 units)
{
    return QVariant::fromValue(Currency::fromUnits(units));
}

// Fixed fields of one dataset "ds", the variables of page 3 of 7 on line 2, and the
// program's functions answered by the test.
class FakeContext : public ExpressionContext {
public:
    QHash<QString, QVariant> fields = {
        {QStringLiteral("单号"), QStringLiteral("YD0001")},
        {QStringLiteral("金额"), money(12345000)}, // 1234.5
        {QStringLiteral("单价"), money(1000)},     // 0.1
        {QStringLiteral("运费"), money(2000)},     // 0.2
        {QStringLiteral("数量"), 3},
        {QStringLiteral("备注"), QVariant()},
        {QStringLiteral("填写日期"), QDate(2024, 5, 1)},
        {QStringLiteral("时间"), QDateTime(QDate(2024, 5, 1), QTime(8, 5, 9))},
        {QStringLiteral("已付"), true},
    };
    UserFunctions functions;
    mutable QStringList calls;

    FakeContext()
    {
        functions.add(QStringLiteral("function rmbToBIG(Value: Currency): string"),
                      QStringLiteral("自定义"), QString());
        functions.add(QStringLiteral("function Fail(Value: Currency): string"),
                      QStringLiteral("自定义"), QString());
        functions.setHandler([this](const QString &name, const QVariantList &args) -> QVariant {
            calls.append(name);
            if (name == u"Fail")
                throw std::runtime_error("无法转换为金额");
            return QStringLiteral("大写(%1)").arg(EngineValues::toText(args.value(0)));
        });
    }

    QVariant field(const QString &dataset, const QString &field) const override
    {
        if (dataset != u"ds")
            throw ReportError(QStringLiteral("没有名为 %1 的数据集").arg(dataset));
        if (!fields.contains(field))
            throw ReportError(QStringLiteral("数据集 ds 没有字段 %1").arg(field));
        return fields.value(field);
    }
    QVariant variable(const QString &name) const override
    {
        return name == u"Page#" ? 3 : name == u"TotalPages#" ? 7 : 2;
    }
    QVariant callUserFunction(const QString &name, const QVariantList &args) const override
    {
        return functions.call(name, args);
    }
};

} // namespace

class TestExpression : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void evaluates_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("text");
        QTest::addColumn<Type>("type");
        auto row = [](const char *name, const QString &source, const QString &text, Type type) {
            QTest::newRow(name) << source << text << type;
        };
        // precedence
        row("multiplication first", "1 + 2 * 3", "7", Type::Integer);
        row("parentheses", "(1 + 2) * 3", "9", Type::Integer);
        row("unary minus", "-2 * 3", "-6", Type::Integer);
        row("div", "7 div 2", "3", Type::Integer);
        row("mod", "7 mod 3", "1", Type::Integer);
        row("division is real", "7 / 2", "3.5", Type::Double);
        row("real sum shown short", "0.1 + 0.2", "0.3", Type::Double);
        row("comparison after sum", "1 + 2 = 3", "True", Type::Boolean);
        row("and after comparisons", "1 < 2 and 3 > 4", "False", Type::Boolean);
        row("or after comparisons", "1 < 2 or 3 > 4", "True", Type::Boolean);
        row("and before or", "True or False and False", "True", Type::Boolean);
        row("not before and", "not False and False", "False", Type::Boolean);
        row("not of comparison", "not 1 = 2", "True", Type::Boolean);
        row("not equal", "'a' <> 'b'", "True", Type::Boolean);
        row("less or equal", "3 <= 3", "True", Type::Boolean);
        // text
        row("plus joins text", "'a' + 'b'", "ab", Type::Text);
        row("plus joins text and number", "'第' + 1", "第1", Type::Text);
        row("ampersand joins", "'单号' & 12", "单号12", Type::Text);
        row("quote doubled", "'It''s'", "It's", Type::Text);
        row("text comparison", "'abc' < 'abd'", "True", Type::Boolean);
        // fields and engine values
        row("text field", "<ds.\"单号\">", "YD0001", Type::Text);
        row("unquoted field", "<ds.单号>", "YD0001", Type::Text);
        row("currency field", "<ds.\"金额\">", "1234.5", Type::Currency);
        row("currency times integer stays exact", "<ds.\"单价\"> * <ds.\"数量\">", "0.3",
            Type::Currency);
        row("currency sum stays exact", "<ds.\"单价\"> + <ds.\"运费\">", "0.3", Type::Currency);
        row("currency compared with integer", "<ds.\"金额\"> > 1234", "True", Type::Boolean);
        row("date field", "<ds.\"填写日期\">", "2024-05-01", Type::DateTime);
        row("date plus days", "<ds.\"填写日期\"> + 30", "2024-05-31", Type::DateTime);
        row("date comparison", "<ds.\"时间\"> > <ds.\"填写日期\">", "True", Type::Boolean);
        row("boolean field", "<ds.\"已付\">", "True", Type::Boolean);
        // nulls
        row("null prints empty", "<ds.\"备注\">", "", Type::Null);
        row("null joins as empty", "<ds.\"备注\"> & 'x'", "x", Type::Text);
        row("null in arithmetic", "<ds.\"备注\"> + 1", "", Type::Null);
        row("null equals nothing", "<ds.\"备注\"> = 0", "False", Type::Boolean);
        row("null differs", "<ds.\"备注\"> <> ''", "True", Type::Boolean);
        // IIF
        row("IIF true", "IIF(<ds.\"数量\"> > 2, '多', '少')", "多", Type::Text);
        row("IIF false", "IIF(<ds.\"数量\"> > 5, '多', '少')", "少", Type::Text);
        row("IIF skips the other branch", "IIF(True, 1, 1 div 0)", "1", Type::Integer);
        // built-ins
        row("FormatFloat grouping", "FormatFloat('#,##0.00', 1234567.891)", "1,234,567.89",
            Type::Text);
        row("FormatFloat currency", "FormatFloat('0.00', <ds.\"金额\">)", "1234.50", Type::Text);
        row("FormatFloat rounds the decimal", "FormatFloat('0.00', 2.675)", "2.68", Type::Text);
        row("FormatFloat optional digits", "FormatFloat('0.##', 1.5)", "1.5", Type::Text);
        row("FormatFloat negative zero", "FormatFloat('0', -0.4)", "0", Type::Text);
        row("FormatFloat leading zeros", "FormatFloat('000', 7)", "007", Type::Text);
        row("FormatFloat literals", "FormatFloat('¥#,##0.00元', 1234)", "¥1,234.00元", Type::Text);
        row("FormatFloat carries", "FormatFloat('0.0', 9.96)", "10.0", Type::Text);
        row("FormatFloat null", "FormatFloat('0.00', <ds.\"备注\">)", "", Type::Text);
        row("FormatDateTime date", "FormatDateTime('yyyy年mm月dd日', <ds.\"填写日期\">)",
            "2024年05月01日", Type::Text);
        row("FormatDateTime time", "FormatDateTime('yy-m-d hh:nn:ss', <ds.\"时间\">)",
            "24-5-1 08:05:09", Type::Text);
        row("FormatDateTime m after hour", "FormatDateTime('h:mm', <ds.\"时间\">)", "8:05",
            Type::Text);
        row("FormatDateTime quoted", "FormatDateTime('\"mm\"dd', <ds.\"时间\">)", "mm01",
            Type::Text);
        row("Trim", "Trim('  a b  ')", "a b", Type::Text);
        row("Copy", "Copy('甲乙丙丁', 2, 2)", "乙丙", Type::Text);
        row("Copy from before start", "Copy('abc', 0, 2)", "ab", Type::Text);
        row("Copy past end", "Copy('abc', 3, 9)", "c", Type::Text);
        row("Length", "Length('甲乙')", "2", Type::Integer);
        row("UpperCase", "UpperCase('abc')", "ABC", Type::Text);
        row("IntToStr", "IntToStr(42)", "42", Type::Text);
        row("Date is today", "FormatDateTime('yyyymmdd', Date) = FormatDateTime('yyyymmdd', Now)",
            "True", Type::Boolean);
        row("Date has no time", "FormatDateTime('hh:nn:ss', Date())", "00:00:00", Type::Text);
        row("names ignore case", "inttostr(LENGTH('ab'))", "2", Type::Text);
        // variables
        row("Page#", "Page#", "3", Type::Integer);
        row("TotalPages#", "'第' & Page# & '页 共' & TotalPages# & '页'", "第3页 共7页",
            Type::Text);
        row("Line#", "Line#", "2", Type::Integer);
        row("variable in angle brackets", "<Page#>", "3", Type::Integer);
        // the program's functions
        row("user function", "rmbToBIG(<ds.\"金额\">)", "大写(1234.5)", Type::Text);
        row("user function ignores case", "RMBTOBIG(1)", "大写(1)", Type::Text);
    }

    void evaluates()
    {
        QFETCH(QString, source);
        QFETCH(QString, text);
        QFETCH(Type, type);
        FakeContext context;
        const QVariant value = Expression::parse(source, context.functions).evaluate(context);
        QCOMPARE(EngineValues::toText(value), text);
        QCOMPARE(EngineValues::typeOf(value), type);
    }

    void userFunctionGetsDeclaredNameAndArguments()
    {
        FakeContext context;
        QVariantList received;
        context.functions.setHandler([&](const QString &name, const QVariantList &args) {
            context.calls.append(name);
            received = args;
            return QVariant();
        });
        Expression::parse(QStringLiteral("RMBTOBIG(<ds.\"金额\">)"), context.functions)
            .evaluate(context);
        QCOMPARE(context.calls, QStringList{QStringLiteral("rmbToBIG")});
        QCOMPARE(received.size(), 1);
        QCOMPARE(received[0].value<Currency>().units(), 12345000);
    }

    void iifCallsOnlyTheChosenBranch()
    {
        FakeContext context;
        const QString source = QStringLiteral("IIF(False, Fail(1), rmbToBIG(2))");
        Expression::parse(source, context.functions).evaluate(context);
        QCOMPARE(context.calls, QStringList{QStringLiteral("rmbToBIG")});
    }

    void textMixesLiteralsAndExpressions()
    {
        FakeContext context;
        const TextExpression text = TextExpression::compile(
            QStringLiteral("Memo1"),
            QStringLiteral("单号：[<ds.\"单号\">] [IIF(True, '[a]', '')]!"), context.functions);
        QCOMPARE(text.evaluate(context), QStringLiteral("单号：YD0001 [a]!"));
    }

    void errorsNameObjectAndExpression_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("reason");
        QTest::newRow("incomplete") << "1 +"
                                    << "表达式不完整";
        QTest::newRow("extra tokens") << "1 2"
                                      << "多余的内容";
        QTest::newRow("unclosed parenthesis") << "(1 + 2"
                                              << "缺少“)”";
        QTest::newRow("undeclared function") << "Foo(1)"
                                             << "未声明的函数或名称“Foo”";
        QTest::newRow("wrong argument count") << "rmbToBIG(1, 2)"
                                              << "参数个数不对";
        QTest::newRow("stray character") << "1 ? 2"
                                         << "无法识别的字符“?”";
        QTest::newRow("division by zero") << "1 div 0"
                                          << "除数为零";
        QTest::newRow("text minus number") << "'a' - 1"
                                           << "类型不匹配";
        QTest::newRow("unknown dataset") << "<nods.\"x\">"
                                         << "没有名为 nods 的数据集";
        QTest::newRow("unknown field") << "<ds.\"无此字段\">"
                                       << "没有字段 无此字段";
        QTest::newRow("condition not boolean") << "IIF(1, 2, 3)"
                                               << "需要布尔值";
        QTest::newRow("not a date") << "FormatDateTime('yyyy', 'abc')"
                                    << "不是日期";
        QTest::newRow("conversion error of the program") << "Fail(<ds.\"备注\">)"
                                                         << "无法转换为金额";
    }

    void errorsNameObjectAndExpression()
    {
        QFETCH(QString, source);
        QFETCH(QString, reason);
        FakeContext context;
        try {
            TextExpression::compile(QStringLiteral("Memo7"), "合计[" + source + "]",
                                    context.functions)
                .evaluate(context);
            QFAIL("no error");
        } catch (const ReportError &e) {
            QVERIFY2(e.message().startsWith("对象 Memo7 的表达式 [" + source + "] 出错："),
                     qPrintable(e.message()));
            QVERIFY2(e.message().contains(reason), qPrintable(e.message()));
        }
    }

    void unclosedBracketIsAnError()
    {
        FakeContext context;
        QVERIFY_THROWS_EXCEPTION(ReportError, TextExpression::compile(QStringLiteral("Memo1"),
                                                                      QStringLiteral("[1 + 2"),
                                                                      context.functions));
    }
};

QTEST_GUILESS_MAIN(TestExpression)
#include "tst_expression.moc"
