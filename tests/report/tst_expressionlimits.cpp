#include "report/EngineValues.h"
#include "report/Expression.h"
#include "report/ExpressionContext.h"
#include "report/ReportError.h"
#include "report/TextExpression.h"
#include "report/UserFunctions.h"
#include "store/Currency.h"

#include <QDate>
#include <QTest>
#include <limits>

// The edges of the expression language: results at the ends of the 64-bit and money ranges,
// input no template should hold (deep nesting, very long chains, full-width digits), each
// either computed exactly or refused with a message, never wrapped around or crashing.
namespace {

QVariant money(qint64 units)
{
    return QVariant::fromValue(Currency::fromUnits(units));
}

class EdgeContext : public ExpressionContext {
public:
    QVariant field(const QString &, const QString &field) const override
    {
        static const QHash<QString, QVariant> fields = {
            {QStringLiteral("最大整数"), std::numeric_limits<qint64>::max()},
            {QStringLiteral("最小整数"), std::numeric_limits<qint64>::min()},
            {QStringLiteral("最大金额"), money(std::numeric_limits<qint64>::max())},
            {QStringLiteral("最小金额"), money(std::numeric_limits<qint64>::min())},
            {QStringLiteral("一厘"), money(1)},
            {QStringLiteral("单价"), money(12345)}, // 1.2345
            {QStringLiteral("零"), money(0)},
            {QStringLiteral("日期"), QDate(2024, 5, 1)},
        };
        return fields.value(field);
    }
    QVariant variable(const QString &) const override { return qint64(1); }
    QVariant callUserFunction(const QString &, const QVariantList &) const override { return {}; }
};

QString evaluated(const QString &source)
{
    const UserFunctions functions;
    return EngineValues::toText(Expression::parse(source, functions).evaluate(EdgeContext()));
}

// The message of the error the text object reports, empty when there is none.
QString failure(const QString &source)
{
    const UserFunctions functions;
    try {
        TextExpression::compile(QStringLiteral("Memo1"), u'[' + source + u']', functions)
            .evaluate(EdgeContext());
    } catch (const ReportError &e) {
        return e.message();
    }
    return {};
}

QString repeated(const QString &piece, int count)
{
    return piece.repeated(count);
}

} // namespace

class TestExpressionLimits : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Results one step inside each edge, and what one step past it gives. The ends:
    // whole numbers -9223372036854775808 .. 9223372036854775807, money the same count of
    // ten-thousandths, -922337203685477.5808 .. 922337203685477.5807.
    void edges_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("result"); // empty: refused with the reason below
        QTest::addColumn<QString>("reason");
        const auto fits = [](const char *name, const char *source, const char *result) {
            QTest::newRow(name) << QString::fromUtf8(source) << QString::fromUtf8(result)
                                << QString();
        };
        const auto refused = [](const char *name, const char *source, const char *reason) {
            QTest::newRow(name) << QString::fromUtf8(source) << QString()
                                << QString::fromUtf8(reason);
        };
        // whole numbers
        fits("largest + 0", "<d.\"最大整数\"> + 0", "9223372036854775807");
        refused("largest + 1", "<d.\"最大整数\"> + 1", "整数运算溢出");
        fits("smallest + 1", "<d.\"最小整数\"> + 1", "-9223372036854775807");
        refused("smallest - 1", "<d.\"最小整数\"> - 1", "整数运算溢出");
        fits("2^62 - 1 times 2", "4611686018427387903 * 2", "9223372036854775806");
        refused("2^62 times 2", "4611686018427387904 * 2", "整数运算溢出");
        fits("-2^62 times 2 is the smallest", "-4611686018427387904 * 2", "-9223372036854775808");
        fits("negated largest", "-<d.\"最大整数\">", "-9223372036854775807");
        refused("negated smallest", "-<d.\"最小整数\">", "整数运算溢出");
        fits("smallest div 1", "<d.\"最小整数\"> div 1", "-9223372036854775808");
        refused("smallest div -1", "<d.\"最小整数\"> div -1", "整数运算溢出");
        fits("smallest mod -1", "<d.\"最小整数\"> mod -1", "0");
        refused("div by zero", "1 div 0", "除数为零");
        refused("mod by zero", "<d.\"最小整数\"> mod 0", "除数为零");
        // whole numbers from doubles: 2^63 = 9223372036854775808 is the first that does not
        // fit, 9223372036854774784 the double just below it.
        fits("double below 2^63", "IntToStr(9223372036854774784.0)", "9223372036854774784");
        refused("double 2^63", "IntToStr(9223372036854775808.0)", "不是有效的整数");
        fits("double -2^63", "IntToStr(-9223372036854775808.0)", "-9223372036854775808");
        refused("huge double", "IntToStr(1e300)", "不是有效的整数");
        fits("largest money to whole", "IntToStr(<d.\"最大金额\">)", "922337203685478");
        fits("smallest money to whole", "IntToStr(<d.\"最小金额\">)", "-922337203685478");
        // money
        fits("largest money - 0.0001", "<d.\"最大金额\"> - <d.\"一厘\">", "922337203685477.5806");
        refused("largest money + 0.0001", "<d.\"最大金额\"> + <d.\"一厘\">", "金额运算溢出");
        refused("largest money + 1", "<d.\"最大金额\"> + 1", "金额运算溢出");
        refused("smallest money - 0.0001", "<d.\"最小金额\"> - <d.\"一厘\">", "金额运算溢出");
        fits("negated largest money", "-<d.\"最大金额\">", "-922337203685477.5807");
        refused("negated smallest money", "-<d.\"最小金额\">", "金额运算溢出");
        fits("largest money times -1", "<d.\"最大金额\"> * -1", "-922337203685477.5807");
        refused("smallest money times -1", "<d.\"最小金额\"> * -1", "金额运算溢出");
        // 922337203685476 + 1.2345 = 922337203685477.2345 fits, one yuan more does not.
        fits("money plus whole inside", "<d.\"单价\"> + 922337203685476", "922337203685477.2345");
        refused("money plus whole past", "<d.\"单价\"> + 922337203685477", "金额运算溢出");
        refused("money plus 10^15", "<d.\"单价\"> + 1000000000000000", "金额运算溢出");
        refused("money plus largest whole", "<d.\"单价\"> - <d.\"最小整数\">", "金额运算溢出");
        fits("money plus double near the top", "<d.\"零\"> + 900000000000000.5",
             "900000000000000.5");
        refused("money plus double past the top", "<d.\"零\"> + 922337203685477.625",
                "金额运算溢出");
        // money against whole numbers, exactly
        fits("money below 10^15", "<d.\"单价\"> < 1000000000000000", "True");
        fits("10^15 above money", "1000000000000000 > <d.\"单价\">", "True");
        fits("largest money below next yuan", "<d.\"最大金额\"> < 922337203685478", "True");
        fits("largest money above its yuan", "<d.\"最大金额\"> > 922337203685477", "True");
        fits("smallest money above smallest whole", "<d.\"最小金额\"> > <d.\"最小整数\">", "True");
        fits("largest whole above largest money", "<d.\"最大整数\"> > <d.\"最大金额\">", "True");
        fits("money equals whole", "<d.\"单价\"> * 10000 = 12345", "True");
        // dates
        refused("date plus largest", "<d.\"日期\"> + <d.\"最大整数\">", "日期运算超出范围");
        refused("date minus smallest", "<d.\"日期\"> - <d.\"最小整数\">", "日期运算超出范围");
    }

    void edges()
    {
        QFETCH(QString, source);
        QFETCH(QString, result);
        QFETCH(QString, reason);
        if (!result.isEmpty()) {
            QCOMPARE(evaluated(source), result);
            return;
        }
        const QString message = failure(source);
        QVERIFY2(message.startsWith(QStringLiteral("对象 Memo1 的表达式 [") + source),
                 qPrintable(message));
        QVERIFY2(message.contains(reason), qPrintable(message));
    }

    // Nesting costs stack; beyond a few hundred levels the expression is refused.
    void deepNestingIsRefused_data()
    {
        QTest::addColumn<QString>("source");
        QTest::newRow("10000 parentheses")
            << repeated(QStringLiteral("("), 10000) + u'1' + repeated(QStringLiteral(")"), 10000);
        QTest::newRow("100000 minus signs") << repeated(QStringLiteral("-"), 100000) + u'1';
        QTest::newRow("10000 nots") << repeated(QStringLiteral("not "), 10000) + "True";
        QTest::newRow("10000 nested calls") << repeated(QStringLiteral("Trim("), 10000) + "'a'" +
                                                   repeated(QStringLiteral(")"), 10000);
        QTest::newRow("unclosed 10000 parentheses") << repeated(QStringLiteral("("), 10000);
    }

    void deepNestingIsRefused()
    {
        QFETCH(QString, source);
        const QString message = failure(source);
        QVERIFY2(message.contains(QStringLiteral("表达式嵌套过深")), qPrintable(message));
        QVERIFY2(message.size() < 200, "the message quotes the start of the expression only");
    }

    void modestNestingIsRead()
    {
        QCOMPARE(evaluated(repeated(QStringLiteral("("), 100) + u'7' +
                           repeated(QStringLiteral(")"), 100)),
                 QStringLiteral("7"));
        QCOMPARE(evaluated(repeated(QStringLiteral("-"), 100) + u'7'), QStringLiteral("7"));
    }

    // Long chains are left-nested trees as deep as they are long; they are worked in a loop.
    void longChainsAreEvaluated()
    {
        QCOMPARE(evaluated(QStringLiteral("0") + repeated(QStringLiteral(" + 1"), 100000)),
                 QStringLiteral("100000"));
        QCOMPARE(evaluated(QStringLiteral("1") + repeated(QStringLiteral(" - 1"), 100000)),
                 QStringLiteral("-99999"));
        QCOMPARE(evaluated(QStringLiteral("''") + repeated(QStringLiteral(" & 'a'"), 1000)),
                 repeated(QStringLiteral("a"), 1000));
        QCOMPARE(evaluated(QStringLiteral("True") + repeated(QStringLiteral(" and True"), 100000)),
                 QStringLiteral("True"));
        QCOMPARE(evaluated(QStringLiteral("1") + repeated(QStringLiteral(" * 1"), 10000)),
                 QStringLiteral("1"));
    }

    // A Chinese input method types full-width digits; they are read as the digits they are.
    void fullWidthDigitsAreNumbers_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("result");
        QTest::newRow("one digit") << QStringLiteral("３") << QStringLiteral("3");
        QTest::newRow("sum") << QStringLiteral("１２ + 3") << QStringLiteral("15");
        QTest::newRow("full-width point") << QStringLiteral("１．５ * 2") << QStringLiteral("3");
        QTest::newRow("mixed widths") << QStringLiteral("1２3") << QStringLiteral("123");
        QTest::newRow("exponent") << QStringLiteral("１e３") << QStringLiteral("1000");
    }

    void fullWidthDigitsAreNumbers()
    {
        QFETCH(QString, source);
        QFETCH(QString, result);
        QCOMPARE(evaluated(source), result);
    }

    // Other characters that are digits in Unicode start no number; the message names them.
    void otherDigitsAreNamed_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("named");
        QTest::newRow("Arabic-Indic three") << QStringLiteral("1 + ٣") << QStringLiteral("“٣”");
        QTest::newRow("full-width plus") << QStringLiteral("1 ＋ 2") << QStringLiteral("“＋”");
        QTest::newRow("character beyond the BMP")
            << QStringLiteral("1 + 𝟑") << QStringLiteral("“𝟑”");
    }

    void otherDigitsAreNamed()
    {
        QFETCH(QString, source);
        QFETCH(QString, named);
        const QString message = failure(source);
        QVERIFY2(message.contains(QStringLiteral("无法识别的字符") + named), qPrintable(message));
    }

    // Every prefix of a few expressions: each one either reads or gives a message.
    void everyPrefixIsReadOrRefused()
    {
        const QStringList sources = {
            QStringLiteral("<d.\"单价\"> * 1.5e+3 >= 'a''b' and not (1 <> 2)"),
            QStringLiteral("IIF(１２．５ <= 3, <Page#>, Copy('x', 1, 2))"),
        };
        const UserFunctions functions;
        for (const QString &source : sources) {
            for (qsizetype n = 0; n <= source.size(); ++n) {
                try {
                    Expression::parse(source.left(n), functions).evaluate(EdgeContext());
                } catch (const ReportError &e) {
                    QVERIFY(!e.message().isEmpty());
                }
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestExpressionLimits)
#include "tst_expressionlimits.moc"
