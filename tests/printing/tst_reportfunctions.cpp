#include "printing/ReportFunctions.h"

#include <QTest>
#include <limits>

// The declarations, the dispatcher with its argument conversions and errors,
// FieldIsNull against named datasets, and ShowRichText's line breaking.
class TestReportFunctions : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void declarations();
    void namesIgnoreCase_data();
    void namesIgnoreCase();
    void unknownName();
    void conversions_data();
    void conversions();
    void conversionErrors_data();
    void conversionErrors();
    void engineValueToText_data();
    void engineValueToText();
    void fieldIsNull_data();
    void fieldIsNull();
    void fieldIsNullWithoutDatasets();
    void lineBreaking_data();
    void lineBreaking();
    void showRichText();
};

namespace {

// A table of the data layer as far as the functions see it: open or not, one current row,
// field names compared ignoring case.
class FakeTable : public FieldSource {
public:
    bool open = true;
    QList<QPair<QString, QVariant>> row;

    bool isOpen() const override { return open; }
    bool hasField(const QString &name) const override { return indexOf(name) >= 0; }
    QVariant currentValue(const QString &name) const override
    {
        return open ? row.value(indexOf(name)).second : QVariant();
    }

private:
    qsizetype indexOf(const QString &name) const
    {
        for (qsizetype i = 0; i < row.size(); ++i)
            if (row[i].first.compare(name, Qt::CaseInsensitive) == 0)
                return i;
        return -1;
    }
};

QVariant money(const char *text)
{
    return QVariant::fromValue(*Currency::fromString(QString::fromLatin1(text)));
}

const QString LongName = QString(255, u'长');

struct Datasets {
    FakeTable note;
    FakeTable sub;
    DatasetDirectory directory;

    Datasets()
    {
        note.row = {{QStringLiteral("填写日期"), QVariant()},
                    {QStringLiteral("名称"), QStringLiteral("甲公司")},
                    {QStringLiteral("备注"), QString(QLatin1String(""))},
                    {QStringLiteral("Amount"), money("12.5")},
                    {QStringLiteral("typedNull"), QVariant(QMetaType::fromType<QString>())},
                    {LongName, QStringLiteral("有值")},
                    {QStringLiteral("说明"), QString(50, u'说') + QStringLiteral("。")}};
        sub.open = false;
        directory.add(QStringLiteral("frxDBDsNote"), &note);
        directory.add(QStringLiteral("frxDBDsSub"), &sub);
    }
};

} // namespace

void TestReportFunctions::declarations()
{
    const auto &d = reportFunctionDeclarations();
    QCOMPARE(d.size(), 8);
    const QStringList names = {"DateToHz", "DateToHz2",     "HzDateExcludeYMD", "FieldIsNull",
                               "rmbToBIG", "rmbToBIG4Fill", "rmbToBIG4Round",   "ShowRichText"};
    const QStringList texts = {
        "function DateToHz(Date: Tdatetime): string",
        "function DateToHz2(Date: Tdatetime): string",
        "function HzDateExcludeYMD(sDate: string): string",
        "function FieldIsNull(FieldName: string): Boolean",
        "function rmbToBIG(Value: Currency): string",
        "function rmbToBIG4Fill(Value: Currency; len: Integer): string",
        "function rmbToBIG4Round(Value: Currency; len: Integer): string",
        "function ShowRichText(FieldName: string): string",
    };
    const QStringList descriptions = {
        QStringLiteral("转换中文日期格式"),
        QStringLiteral("转换中文大写日期格式 没有年月日汉字"),
        QStringLiteral("套打日期(去除年月日汉字)"),
        QStringLiteral("判断FieldName是否为空"),
        QStringLiteral("小写金额转大写金额"),
        QStringLiteral("小写金额转大写金额，无金额单位"),
        QStringLiteral("小写金额转大写,忽略角分，无金额单位"),
    };
    for (int i = 0; i < d.size(); ++i) {
        QCOMPARE(d[i].name, names[i]);
        QCOMPARE(d[i].declaration, texts[i]);
        QCOMPARE(d[i].category, QStringLiteral("自定义"));
        if (i < descriptions.size())
            QCOMPARE(d[i].description, descriptions[i]);
        else
            QVERIFY(!d[i].description.isEmpty());
    }
}

void TestReportFunctions::namesIgnoreCase_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QVariantList>("arguments");
    QTest::addColumn<QVariant>("expected");
    const QVariant date = QDate(2009, 1, 5);
    QTest::newRow("RMBTOBIG") << "RMBTOBIG" << QVariantList{money("1.5")}
                              << QVariant(QStringLiteral("壹元伍角整"));
    QTest::newRow("rmbtobig") << "rmbtobig" << QVariantList{money("10")}
                              << QVariant(QStringLiteral("壹拾元整"));
    QTest::newRow("datetohz") << "datetohz" << QVariantList{date}
                              << QVariant(QStringLiteral("二○○九年一月五日"));
    QTest::newRow("DATETOHZ2") << "DATETOHZ2" << QVariantList{date}
                               << QVariant(QStringLiteral("贰零零玖年零壹月零伍日"));
    QTest::newRow("hzdateexcludeymd") << "hzdateexcludeymd" << QVariantList{"甲年乙月丙日"}
                                      << QVariant(QStringLiteral("甲    乙    丙"));
    QTest::newRow("FIELDISNULL") << "FIELDISNULL" << QVariantList{"no dot"} << QVariant(true);
    QTest::newRow("RmbToBig4Fill") << "RmbToBig4Fill" << QVariantList{money("123.45"), 8}
                                   << QVariant(QStringLiteral(" 零 零 零 壹 贰 叁 肆 伍"));
    QTest::newRow("RMBTOBIG4ROUND") << "RMBTOBIG4ROUND" << QVariantList{money("123.45"), 5}
                                    << QVariant(QStringLiteral(" 零 零 壹 贰 叁"));
    QTest::newRow("showrichtext") << "showrichtext" << QVariantList{"no dot"}
                                  << QVariant(QString());
}

void TestReportFunctions::namesIgnoreCase()
{
    QFETCH(QString, name);
    QFETCH(QVariantList, arguments);
    QFETCH(QVariant, expected);
    const QVariant result = ReportFunctions().frxReportUserFunction(name, arguments);
    QCOMPARE(result.metaType(), expected.metaType());
    QCOMPARE(result, expected);
}

void TestReportFunctions::unknownName()
{
    ReportFunctions f;
    QVERIFY(!f.frxReportUserFunction(QStringLiteral("Unknown"), {money("1")}).isValid());
    QVERIFY(!f.frxReportUserFunction(QString(), {}).isValid());
    QVERIFY(!f.frxReportUserFunction(QStringLiteral("rmbToBIGX"), {money("1")}).isValid());
    // Only ASCII letters fold: the long s is not an s.
    QVERIFY(!f.frxReportUserFunction(QStringLiteral("FieldIſNull"), {"x"}).isValid());
}

void TestReportFunctions::conversions_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QVariantList>("arguments");
    QTest::addColumn<QString>("expected");
    const QString jan5 = QStringLiteral("二○○九年一月五日");
    const int day = int(QDate(1899, 12, 30).daysTo(QDate(2009, 1, 5)));
    // To a date-time.
    QTest::newRow("QDateTime") << "DateToHz"
                               << QVariantList{QDateTime(QDate(2009, 1, 5), QTime(23, 59))} << jan5;
    QTest::newRow("QDate") << "DateToHz" << QVariantList{QDate(2009, 1, 5)} << jan5;
    QTest::newRow("ISO text") << "DateToHz" << QVariantList{"2009-01-05"} << jan5;
    QTest::newRow("ISO text with T") << "DateToHz" << QVariantList{"2009-01-05T08:30:00"} << jan5;
    QTest::newRow("slashes") << "DateToHz" << QVariantList{"2009/1/5"} << jan5;
    QTest::newRow("text with time") << "DateToHz" << QVariantList{" 2009-1-5 23:59:59 "} << jan5;
    QTest::newRow("Chinese text") << "DateToHz" << QVariantList{"2009年1月5日"} << jan5;
    QTest::newRow("day number") << "DateToHz" << QVariantList{day} << jan5;
    QTest::newRow("day number with time") << "DateToHz" << QVariantList{day + 0.999} << jan5;
    QTest::newRow("qint64 day number") << "DateToHz" << QVariantList{qint64(day)} << jan5;
    QTest::newRow("currency day number")
        << "DateToHz" << QVariantList{QVariant::fromValue(*Currency::fromWhole(day))} << jan5;
    QTest::newRow("day zero") << "DateToHz2" << QVariantList{0} << "壹捌玖玖年壹拾贰月叁拾日";
    QTest::newRow("before day zero, time as fraction")
        << "DateToHz" << QVariantList{-1.25} << "一八九九年十二月二十九日";
    // To text.
    QTest::newRow("null text") << "HzDateExcludeYMD" << QVariantList{QVariant()} << "";
    QTest::newRow("date as text") << "HzDateExcludeYMD" << QVariantList{QDate(2009, 1, 5)}
                                  << "2009-01-05";
    QTest::newRow("number as text") << "HzDateExcludeYMD" << QVariantList{12} << "12";
    // To a currency amount.
    QTest::newRow("currency") << "rmbToBIG" << QVariantList{money("1.05")} << "壹元零角伍分";
    QTest::newRow("double") << "rmbToBIG" << QVariantList{1.5} << "壹元伍角整";
    QTest::newRow("double rounded to four decimals")
        << "rmbToBIG" << QVariantList{1.00005} << "壹元零角零分零厘壹整";
    QTest::newRow("int") << "rmbToBIG" << QVariantList{10} << "壹拾元整";
    QTest::newRow("qint64") << "rmbToBIG" << QVariantList{qint64(100000001)} << "壹亿零壹元整";
    QTest::newRow("text") << "rmbToBIG" << QVariantList{" 3050.7 "} << "叁仟零伍拾元柒角整";
    QTest::newRow("negative text") << "rmbToBIG" << QVariantList{"-1.55"} << "负壹元伍角伍分";
    // len: to text, then a decimal whole number.
    QTest::newRow("len as text") << "rmbToBIG4Fill" << QVariantList{money("123.45"), "10"}
                                 << " 零 零 零 零 零 壹 贰 叁 肆 伍";
    QTest::newRow("len as number")
        << "rmbToBIG4Fill" << QVariantList{money("123.45"), 10} << " 零 零 零 零 零 壹 贰 叁 肆 伍";
    QTest::newRow("len 0") << "rmbToBIG4Fill" << QVariantList{money("0"), 0}
                           << " 零 零 零 零 零 零 零 零";
    QTest::newRow("len 3, round") << "rmbToBIG4Round" << QVariantList{"2.5", "3"}
                                  << " 零 零 零 零 贰";
    QTest::newRow("extra arguments ignored") << "rmbToBIG" << QVariantList{1, "x", 3} << "壹元整";
}

void TestReportFunctions::conversions()
{
    QFETCH(QString, name);
    QFETCH(QVariantList, arguments);
    QFETCH(QString, expected);
    const QVariant result = ReportFunctions().frxReportUserFunction(name, arguments);
    QCOMPARE(result.metaType(), QMetaType::fromType<QString>());
    QCOMPARE(result.toString(), expected);
}

void TestReportFunctions::conversionErrors_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QVariantList>("arguments");
    QTest::addColumn<QString>("mentions");
    QTest::newRow("null date") << "DateToHz" << QVariantList{QVariant()} << "空值";
    QTest::newRow("typed null date")
        << "DateToHz2" << QVariantList{QVariant(QMetaType::fromType<QDateTime>())} << "空值";
    QTest::newRow("text not a date") << "DateToHz" << QVariantList{"abc"} << "abc";
    QTest::newRow("impossible date") << "DateToHz" << QVariantList{"2009-02-30"} << "2009-02-30";
    QTest::newRow("empty text date") << "DateToHz2" << QVariantList{""} << "日期";
    QTest::newRow("bool as date") << "DateToHz" << QVariantList{true} << "日期";
    QTest::newRow("day number out of range") << "DateToHz" << QVariantList{1e9} << "日期";
    QTest::newRow("NaN as date") << "DateToHz"
                                 << QVariantList{std::numeric_limits<double>::quiet_NaN()}
                                 << "日期";
    QTest::newRow("smallest amount as date")
        << "DateToHz"
        << QVariantList{QVariant::fromValue(
               Currency::fromUnits(std::numeric_limits<qint64>::min()))}
        << "日期";
    QTest::newRow("largest amount as date") << "DateToHz2"
                                            << QVariantList{QVariant::fromValue(Currency::fromUnits(
                                                   std::numeric_limits<qint64>::max()))}
                                            << "日期";
    QTest::newRow("invalid QDateTime") << "DateToHz" << QVariantList{QDateTime()} << "日期";
    QTest::newRow("missing date") << "DateToHz" << QVariantList{} << "缺少第 1 个参数";
    QTest::newRow("null amount") << "rmbToBIG" << QVariantList{QVariant()} << "空值";
    QTest::newRow("text not an amount") << "rmbToBIG" << QVariantList{"abc"} << "abc";
    QTest::newRow("bool as amount") << "rmbToBIG" << QVariantList{true} << "金额";
    QTest::newRow("date as amount") << "rmbToBIG" << QVariantList{QDate(2009, 1, 5)} << "金额";
    QTest::newRow("amount out of range") << "rmbToBIG" << QVariantList{1e300} << "金额";
    QTest::newRow("null amount in the box form")
        << "rmbToBIG4Fill" << QVariantList{QVariant(), 8} << "空值";
    QTest::newRow("len abc") << "rmbToBIG4Fill" << QVariantList{money("1"), "abc"} << "abc";
    QTest::newRow("len 10.5") << "rmbToBIG4Round" << QVariantList{money("1"), 10.5} << "10.5";
    QTest::newRow("len empty") << "rmbToBIG4Fill" << QVariantList{money("1"), QVariant()} << "整数";
    QTest::newRow("len missing") << "rmbToBIG4Fill" << QVariantList{money("1")}
                                 << "缺少第 2 个参数";
    QTest::newRow("negative in boxes") << "rmbToBIG4Fill" << QVariantList{"-1.5", 8} << "负数";
    QTest::newRow("too many digits for the boxes")
        << "rmbToBIG4Fill" << QVariantList{"1234567.89", 8} << "格子";
    QTest::newRow("99999.5 in 5 boxes") << "rmbToBIG4Round" << QVariantList{"99999.5", 5} << "格子";
}

void TestReportFunctions::conversionErrors()
{
    QFETCH(QString, name);
    QFETCH(QVariantList, arguments);
    QFETCH(QString, mentions);
    try {
        const QVariant result = ReportFunctions().frxReportUserFunction(name, arguments);
        QFAIL(qPrintable(QStringLiteral("no error, got ") + result.toString()));
    } catch (const ReportFunctionError &e) {
        QVERIFY2(e.message().contains(mentions), qPrintable(e.message()));
        QVERIFY2(e.message().contains(name), qPrintable(e.message()));
    }
}

void TestReportFunctions::engineValueToText_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("null") << QVariant() << "";
    QTest::newRow("text") << QVariant(QStringLiteral("甲")) << "甲";
    QTest::newRow("currency") << money("1234.50") << "1234.5";
    QTest::newRow("double") << QVariant(0.1) << "0.1";
    QTest::newRow("int") << QVariant(-7) << "-7";
    QTest::newRow("bool") << QVariant(true) << "True";
    QTest::newRow("date-time at midnight")
        << QVariant(QDateTime(QDate(2009, 1, 5), QTime(0, 0))) << "2009-01-05";
    QTest::newRow("date-time") << QVariant(QDateTime(QDate(2009, 1, 5), QTime(8, 5, 3)))
                               << "2009-01-05 08:05:03";
}

void TestReportFunctions::engineValueToText()
{
    QFETCH(QVariant, value);
    QFETCH(QString, expected);
    QCOMPARE(::engineValueToText(value), expected);
}

void TestReportFunctions::fieldIsNull_data()
{
    QTest::addColumn<QString>("argument");
    QTest::addColumn<bool>("expected");
    QTest::newRow("no dot") << "填写日期" << true;
    QTest::newRow("empty") << "" << true;
    QTest::newRow("unknown dataset") << "frxDBDsOther.名称" << true;
    QTest::newRow("empty dataset name") << ".名称" << true;
    QTest::newRow("unknown field") << "frxDBDsNote.不存在" << true;
    QTest::newRow("empty field name") << "frxDBDsNote." << true;
    QTest::newRow("closed detail table") << "frxDBDsSub.名称" << true;
    QTest::newRow("null fill date") << "frxDBDsNote.填写日期" << true;
    QTest::newRow("typed null") << "frxDBDsNote.typedNull" << true;
    QTest::newRow("value") << "frxDBDsNote.名称" << false;
    QTest::newRow("empty text is a value") << "frxDBDsNote.备注" << false;
    QTest::newRow("currency value") << "frxDBDsNote.Amount" << false;
    QTest::newRow("dataset name ignores case") << "FRXDBDSNOTE.名称" << false;
    QTest::newRow("field name ignores case") << "frxDBDsNote.AMOUNT" << false;
    QTest::newRow("split at the first dot") << "frxDBDsNote.名称.x" << true;
    QTest::newRow("field name cut to 255 characters")
        << "frxDBDsNote." + LongName + QStringLiteral("多余") << false;
}

void TestReportFunctions::fieldIsNull()
{
    QFETCH(QString, argument);
    QFETCH(bool, expected);
    Datasets datasets;
    QCOMPARE(::FieldIsNull(argument, datasets.directory.lookup()), expected);
    const ReportFunctions f(datasets.directory.lookup());
    const QVariant result = f.frxReportUserFunction(QStringLiteral("FieldIsNull"), {argument});
    QCOMPARE(result.metaType(), QMetaType::fromType<bool>());
    QCOMPARE(result.toBool(), expected);
}

void TestReportFunctions::fieldIsNullWithoutDatasets()
{
    ReportFunctions f;
    QCOMPARE(f.frxReportUserFunction(QStringLiteral("FieldIsNull"), {"frxDBDsNote.名称"}),
             QVariant(true));
    QCOMPARE(f.frxReportUserFunction(QStringLiteral("FieldIsNull"), {QVariant()}), QVariant(true));
    Datasets datasets;
    f.setDatasetLookup(datasets.directory.lookup());
    QCOMPARE(f.frxReportUserFunction(QStringLiteral("FieldIsNull"), {"frxDBDsNote.名称"}),
             QVariant(false));
    // The current row is asked at each call: the answer follows the row being output.
    datasets.note.row[1].second = QVariant();
    QCOMPARE(f.frxReportUserFunction(QStringLiteral("FieldIsNull"), {"frxDBDsNote.名称"}),
             QVariant(true));
    datasets.directory.remove(QStringLiteral("FRXDBDSNOTE"));
    QVERIFY(!datasets.directory.find(QStringLiteral("frxDBDsNote")));
}

void TestReportFunctions::lineBreaking_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");
    const QString han40 = QString(40, u'汉');
    const QString han41 = QString(41, u'汉');
    QTest::newRow("short") << "短文本" << QStringList{"短文本"};
    QTest::newRow("empty") << "" << QStringList{};
    QTest::newRow("41 full-width fill a line") << han41 << QStringList{han41};
    QTest::newRow("42 full-width") << han41 + u'字' << QStringList{han41, "字"};
    QTest::newRow("100 full-width")
        << QString(100, u'汉') << QStringList{han41, han41, QString(18, u'汉')};
    QTest::newRow("82 half-width letters") << QString(82, u'a') << QStringList{QString(82, u'a')};
    QTest::newRow("83 half-width letters")
        << QString(83, u'Z') << QStringList{QString(82, u'Z'), "Z"};
    QTest::newRow("digits and signs are half-width")
        << han40 + "1-./ (9)" << QStringList{han40 + "1-", "./ (9)"};
    QTest::newRow("two half-width fill a full place")
        << han40 + "12字" << QStringList{han40 + "12", "字"};
    QTest::newRow("a full-width character does not fit in one half place")
        << QString(81, u'x') + u'字' << QStringList{QString(81, u'x'), "字"};
    QTest::newRow("other ASCII counts full-width")
        << QString(42, u',') << QStringList{QString(41, u','), ","};
    QTest::newRow("closing mark taken onto the line")
        << han41 + "。后" << QStringList{han41 + "。", "后"};
    for (const char *mark : {"）", ")", "、", "，"})
        QTest::newRow(qPrintable(QStringLiteral("closing mark ") + QString::fromUtf8(mark)))
            << han41 + QString::fromUtf8(mark) + "后"
            << QStringList{han41 + QString::fromUtf8(mark), "后"};
    QTest::newRow("closing mark at the very end") << han41 + "。" << QStringList{han41 + "。"};
    QTest::newRow("two closing marks: the line ends one earlier")
        << han41 + "）。后" << QStringList{han40, "汉）。后"};
    QTest::newRow("two closing marks at the end") << han41 + "。。" << QStringList{han40, "汉。。"};
    QTest::newRow("closing mark inside a line stays") << "甲，乙。" << QStringList{"甲，乙。"};
    QTest::newRow("line breaks end lines, empty lines dropped")
        << "甲\r\n\r\n乙\n丙\r丁\n\n"
        << QStringList{"甲", "乙", "丙", "丁"};
    QTest::newRow("only line breaks") << "\r\n\n\r" << QStringList{};
    QTest::newRow("a break restarts the count")
        << QString(30, u'汉') + "\n" + han41 << QStringList{QString(30, u'汉'), han41};
    QTest::newRow("characters beyond the BMP are one character")
        << QString(40, u'汉') + QString::fromUcs4(U"\U00020000\U00020001")
        << QStringList{QString(40, u'汉') + QString::fromUcs4(U"\U00020000"),
                       QString::fromUcs4(U"\U00020001")};
}

void TestReportFunctions::lineBreaking()
{
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    QCOMPARE(breakIntoLines(text), lines.join(QStringLiteral("\r\n")));
}

void TestReportFunctions::showRichText()
{
    Datasets datasets;
    const ReportFunctions f(datasets.directory.lookup());
    auto call = [&f](const QString &argument) {
        return f.frxReportUserFunction(QStringLiteral("ShowRichText"), {argument});
    };
    QCOMPARE(call(QStringLiteral("frxDBDsNote.说明")),
             QVariant(QString(41, u'说') + QStringLiteral("\r\n") + QString(9, u'说') +
                      QStringLiteral("。")));
    QCOMPARE(call(QStringLiteral("frxdbdsnote.名称")), QVariant(QStringLiteral("甲公司")));
    QCOMPARE(call(QStringLiteral("frxDBDsNote.Amount")), QVariant(QStringLiteral("12.5")));
    for (const char *missing : {"frxDBDsNote.填写日期", "frxDBDsNote.不存在", "frxDBDsSub.名称",
                                "frxDBDsOther.名称", "名称"}) {
        const QVariant result = call(QString::fromUtf8(missing));
        QCOMPARE(result.metaType(), QMetaType::fromType<QString>());
        QCOMPARE(result.toString(), QString());
    }
}

QTEST_APPLESS_MAIN(TestReportFunctions)
#include "tst_reportfunctions.moc"
