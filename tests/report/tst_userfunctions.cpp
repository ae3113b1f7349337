#include "report/ReportError.h"
#include "report/UserFunctions.h"

#include <QTest>

class TestUserFunctions : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void readsDeclarations_data()
    {
        QTest::addColumn<QString>("declaration");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("parameters");
        QTest::newRow("one parameter") << "function DateToHz(Date: Tdatetime): string"
                                       << "DateToHz" << 1;
        QTest::newRow("two groups")
            << "function rmbToBIG4Fill(Value: Currency; len: Integer): string"
            << "rmbToBIG4Fill" << 2;
        QTest::newRow("names sharing a type") << "function Box(a, b, c: Integer; s: string): string"
                                              << "Box" << 4;
        QTest::newRow("const parameter") << "function F(const s: string): Boolean"
                                         << "F" << 1;
        QTest::newRow("no parameters") << "function Today: TDateTime"
                                       << "Today" << 0;
        QTest::newRow("empty parentheses") << "function Tick(): Integer"
                                           << "Tick" << 0;
        QTest::newRow("procedure") << "procedure Beep(n: Integer);"
                                   << "Beep" << 1;
        QTest::newRow("keyword case") << "FUNCTION Up(s: String): String"
                                      << "Up" << 1;
    }

    void readsDeclarations()
    {
        QFETCH(QString, declaration);
        QFETCH(QString, name);
        QFETCH(int, parameters);
        UserFunctions functions;
        functions.add(declaration, QStringLiteral("自定义"), QStringLiteral("说明"));
        const auto found = functions.find(name.toUpper());
        QVERIFY(found);
        QCOMPARE(found->name, name);
        QCOMPARE(found->parameterCount, parameters);
        QCOMPARE(found->declaration, declaration);
    }

    void refusesWhatIsNoDeclaration_data()
    {
        QTest::addColumn<QString>("declaration");
        QTest::newRow("empty") << "";
        QTest::newRow("no keyword") << "rmbToBIG(Value: Currency): string";
        QTest::newRow("parameter without type") << "function F(a): string";
        QTest::newRow("unclosed") << "function F(a: Integer: string";
    }

    void refusesWhatIsNoDeclaration()
    {
        QFETCH(QString, declaration);
        UserFunctions functions;
        QVERIFY_THROWS_EXCEPTION(ReportError,
                                 functions.add(declaration, QStringLiteral("自定义"), QString()));
    }

    void listsByCategoryInDeclarationOrder()
    {
        UserFunctions functions;
        functions.add(QStringLiteral("function B(x: string): string"), QStringLiteral("自定义"),
                      QStringLiteral("second"));
        functions.add(QStringLiteral("function A(x: string): string"), QStringLiteral("自定义"),
                      QStringLiteral("first"));
        functions.add(QStringLiteral("function C(x: string): string"), QStringLiteral("其他"),
                      QString());
        functions.add(QStringLiteral("function b(x, y: string): string"), QStringLiteral("自定义"),
                      QStringLiteral("again"));
        const auto categories = functions.byCategory();
        QCOMPARE(categories.keys(),
                 QStringList({QStringLiteral("其他"), QStringLiteral("自定义")}));
        const auto custom = categories.value(QStringLiteral("自定义"));
        QCOMPARE(custom.size(), 2);
        QCOMPARE(custom[0].name, QStringLiteral("b"));
        QCOMPARE(custom[0].parameterCount, 2);
        QCOMPARE(custom[0].description, QStringLiteral("again"));
        QCOMPARE(custom[1].name, QStringLiteral("A"));
    }

    void callsTheOneHandler()
    {
        UserFunctions functions;
        QCOMPARE(functions.call(QStringLiteral("X"), {}), QVariant());
        functions.setHandler([](const QString &name, const QVariantList &args) {
            return QVariant(name + QString::number(args.size()));
        });
        QCOMPARE(functions.call(QStringLiteral("X"), {1, 2}), QVariant(QStringLiteral("X2")));
    }
};

QTEST_GUILESS_MAIN(TestUserFunctions)
#include "tst_userfunctions.moc"
