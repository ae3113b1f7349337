#include "report/Report.h"
#include "report/ReportError.h"
#include "support/SampleReports.h"

#include <QTest>

using namespace SampleReports;
using Type = ReportBand::Type;

namespace {

// "text@y" for each text drawn on a page, top to bottom as laid out.
QStringList textsOf(const PreparedPage &page)
{
    QStringList texts;
    for (const PreparedItem &item : page.items)
        texts.append(item.text + u'@' + QString::number(item.rect.y()));
    return texts;
}

// A4 with 10 mm margins: header 10 mm, master 20 mm, detail 10 mm, footer 10 mm.
ReportTemplate waybillList(bool newPagePerRow, double masterHeight = 20)
{
    ReportPage page;
    ReportBand master = band(Type::MasterData, masterHeight, QStringLiteral("frxDBDsNote"),
                             {text(QStringLiteral("No"), {5, 2, 40, 6},
                                   QStringLiteral("[<frxDBDsNote.\"单号\">]#[Line#]"))});
    master.startNewPage = newPagePerRow;
    page.bands = {
        band(Type::PageFooter, 10, {},
             {text(QStringLiteral("PageNo"), {0, 1, 40, 6},
                   QStringLiteral("[Page#]/[TotalPages#]"))}),
        band(Type::PageHeader, 10, {}, {text(QStringLiteral("Head"), {0, 0, 40, 6}, "H")}),
        band(Type::ReportTitle, 5, {}, {text(QStringLiteral("Title"), {0, 0, 40, 5}, "T")}),
        master,
        band(Type::DetailData, 10, QStringLiteral("frxDBDsSub"),
             {text(QStringLiteral("Item"), {10, 0, 40, 6},
                   QStringLiteral("[<frxDBDsSub.\"品名\">]#[Line#]"))}),
    };
    ReportTemplate definition;
    definition.pages = {page};
    return definition;
}

struct Fixture {
    WaybillData data;
    Report report;
    Fixture(const ReportTemplate &definition, int masters, int details) : data(masters, details)
    {
        report.definition() = definition;
        report.setDataset(&data.note);
        report.setDataset(&data.sub);
    }
};

} // namespace

class TestReportPreparer : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void detailRowsFollowTheirMaster()
    {
        Fixture f(waybillList(false), 2, 2);
        f.report.prepare();
        QCOMPARE(f.report.preparedPages().size(), 1);
        // Title and header open the page at the top margin, the footer sits on the bottom
        // margin (297 - 10 - 10), data bands follow each other from 25 mm.
        QCOMPARE(textsOf(f.report.preparedPages()[0]),
                 QStringList({"T@10", "H@15", "1/1@278", "YD0001#1@27", "品名1-1#1@45",
                              "品名1-2#2@55", "YD0002#2@67", "品名2-1#1@85", "品名2-2#2@95"}));
    }

    void eachMasterRowOnANewPage()
    {
        Fixture f(waybillList(true), 3, 1);
        f.report.prepare();
        const QList<PreparedPage> &pages = f.report.preparedPages();
        QCOMPARE(pages.size(), 3);
        QCOMPARE(textsOf(pages[0]),
                 QStringList({"T@10", "H@15", "1/3@278", "YD0001#1@27", "品名1-1#1@45"}));
        QCOMPARE(textsOf(pages[1]),
                 QStringList({"H@10", "2/3@278", "YD0002#2@22", "品名2-1#1@40"}));
        QCOMPARE(textsOf(pages[2]),
                 QStringList({"H@10", "3/3@278", "YD0003#3@22", "品名3-1#1@40"}));
    }

    void bandThatDoesNotFitGoesToTheNextPage_data()
    {
        QTest::addColumn<int>("masters");
        QTest::addColumn<double>("masterHeight");
        QTest::addColumn<QList<int>>("mastersPerPage");
        // Room for data: 297 - 2 * 10 (margins) - 10 (header) - 10 (footer) = 257 mm,
        // 5 mm less on the first page under the title.
        QTest::newRow("two per page") << 5 << 100.0 << QList<int>{2, 2, 1};
        QTest::newRow("exactly full") << 4 << 128.5 << QList<int>{1, 2, 1};
        QTest::newRow("taller than a page") << 2 << 400.0 << QList<int>{1, 1};
        QTest::newRow("no rows, no pages") << 0 << 20.0 << QList<int>{};
    }

    void bandThatDoesNotFitGoesToTheNextPage()
    {
        QFETCH(int, masters);
        QFETCH(double, masterHeight);
        QFETCH(QList<int>, mastersPerPage);
        Fixture f(waybillList(false, masterHeight), masters, 0);
        f.report.prepare();
        QList<int> counted;
        for (const PreparedPage &page : f.report.preparedPages()) {
            counted.append(int(textsOf(page).filter(QStringLiteral("YD")).size()));
            QVERIFY(textsOf(page).contains(QStringLiteral("H@10")) ||
                    textsOf(page).contains(QStringLiteral("H@15")));
        }
        QCOMPARE(counted, mastersPerPage);
    }

    void pageWithoutMasterBandPrintsOnce()
    {
        ReportTemplate definition;
        ReportPage page;
        page.bands = {band(Type::PageHeader, 10, {}, {text("Head", {0, 0, 40, 6}, "[Page#]")})};
        definition.pages = {page, page};
        Report report;
        report.definition() = definition;
        report.prepare();
        QCOMPARE(report.preparedPages().size(), 2);
        QCOMPARE(textsOf(report.preparedPages()[1]), QStringList{"2@10"});
    }

    // What the program's functions read from the tables is the row being output.
    void datasetsStayOnTheRowBeingOutput()
    {
        Fixture f(waybillList(false), 2, 3);
        ReportTemplate &definition = f.report.definition();
        definition.pages[0].bands[4].objects[0].text =
            QStringLiteral("[<frxDBDsSub.\"品名\">]=[Row]");
        f.report.addFunction(QStringLiteral("function Row: string"), QStringLiteral("自定义"), {});
        f.report.setUserFunctionHandler([&](const QString &, const QVariantList &) {
            return QVariant(f.data.sub.value(QStringLiteral("品名")));
        });
        f.report.prepare();
        const QStringList texts = textsOf(f.report.preparedPages()[0]).filter(QStringLiteral("="));
        QCOMPARE(texts.size(), 6);
        for (const QString &shown : texts) {
            const QString both = shown.section(u'@', 0, 0);
            QCOMPARE(both.section(u'=', 0, 0), both.section(u'=', 1));
        }
    }

    void prepareDiscardsEarlierPages()
    {
        Fixture f(waybillList(true), 3, 1);
        f.report.prepare();
        f.report.prepare();
        QCOMPARE(f.report.preparedPages().size(), 3);
        QCOMPARE(textsOf(f.report.preparedPages()[2])[1], QStringLiteral("3/3@278"));
    }

    void errorsStopPreparation_data()
    {
        QTest::addColumn<QString>("masterText");
        QTest::addColumn<QString>("dataset");
        QTest::addColumn<QString>("message");
        QTest::newRow("undeclared function") << "[rmbToBIG(1)]"
                                             << "frxDBDsNote"
                                             << "对象 No 的表达式 [rmbToBIG(1)] 出错";
        QTest::newRow("unknown field") << "[<frxDBDsNote.\"无\">]"
                                       << "frxDBDsNote"
                                       << "对象 No 的表达式 [<frxDBDsNote.\"无\">] 出错";
        QTest::newRow("unknown dataset") << "x"
                                         << "frxDBDsNone"
                                         << "数据集 frxDBDsNone 不存在";
        // 123.45 + 10^15 lies beyond the largest amount, 922337203685477.5807.
        QTest::newRow("amount past the range")
            << "[<frxDBDsNote.\"金额\"> + 1000000000000000]"
            << "frxDBDsNote"
            << "对象 No 的表达式 [<frxDBDsNote.\"金额\"> + 1000000000000000] 出错：金额运算溢出";
        QTest::newRow("10000 parentheses")
            << u'[' + QString(10000, u'(') + u'1' + QString(10000, u')') + u']' << "frxDBDsNote"
            << "表达式嵌套过深";
        QTest::newRow("digit that is no number") << "[1 + ٣]"
                                                 << "frxDBDsNote"
                                                 << "无法识别的字符“٣”";
    }

    void errorsStopPreparation()
    {
        QFETCH(QString, masterText);
        QFETCH(QString, dataset);
        QFETCH(QString, message);
        Fixture f(waybillList(false), 2, 1);
        f.report.prepare();
        ReportBand &master = f.report.definition().pages[0].bands[3];
        master.objects[0].text = masterText;
        master.dataset = dataset;
        try {
            f.report.prepare();
            QFAIL("prepared");
        } catch (const ReportError &e) {
            QVERIFY2(e.message().contains(message), qPrintable(e.message()));
        }
        QVERIFY(f.report.preparedPages().isEmpty());
    }

    // A runaway expression in a stored template (20 KB of parentheses) is refused when the
    // report is prepared, not a crash.
    void deepTemplateIsRefused()
    {
        Fixture f(waybillList(false), 1, 1);
        f.report.definition().pages[0].bands[3].objects[0].text =
            u'[' + QString(10000, u'(') + u'1' + QString(10000, u')') + u']';
        f.report.loadFromBytes(f.report.saveToBytes());
        try {
            f.report.prepare();
            QFAIL("prepared");
        } catch (const ReportError &e) {
            QVERIFY2(e.message().contains(QStringLiteral("表达式嵌套过深")),
                     qPrintable(e.message()));
        }
    }

    void programErrorStopsPreparation()
    {
        Fixture f(waybillList(false), 2, 1);
        f.report.definition().pages[0].bands[3].objects[0].text =
            QStringLiteral("[rmbToBIG(<frxDBDsNote.\"金额\">)]");
        f.report.addFunction(QStringLiteral("function rmbToBIG(Value: Currency): string"),
                             QStringLiteral("自定义"), QStringLiteral("小写金额转大写金额"));
        f.report.setUserFunctionHandler([](const QString &, const QVariantList &) -> QVariant {
            throw std::runtime_error("金额转换错误");
        });
        QVERIFY_THROWS_EXCEPTION(ReportError, f.report.prepare());
        try {
            f.report.prepare();
        } catch (const ReportError &e) {
            QCOMPARE(e.message(),
                     QStringLiteral("对象 No 的表达式 [rmbToBIG(<frxDBDsNote.\"金额\">)] "
                                    "出错：金额转换错误"));
        }
    }
};

QTEST_GUILESS_MAIN(TestReportPreparer)
#include "tst_reportpreparer.moc"
