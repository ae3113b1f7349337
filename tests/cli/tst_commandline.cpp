#include "support/DemoWaybill.h"
#include "support/PdfText.h"
#include "support/Python.h"
#include "support/TestDatabase.h"

#include "printing/RecordReport.h"
#include "store/DataSet.h"
#include "store/SqlHelpers.h"
#include "store/TemplateStore.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// The program run from a script: the real executable, on a program folder holding the demo
// (快递运单 A01: 4 waybills, the third printed, a template over the scanned form; 收款收据
// A02: 2 receipts, no template).
class TestCommandLine : public QObject {
    Q_OBJECT

    struct Run {
        int status = -1;
        QString out;
        QString err;
    };

    std::unique_ptr<TestDatabase> m_db;
    QTemporaryDir m_files;

    Run quillet(QStringList arguments) const
    {
        arguments << QStringLiteral("--folder") << m_db->folder();
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        // No display at all: the command line must not need one.
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(QUILLET_BIN_DIR "/quillet"), arguments);
        if (!process.waitForFinished(120000))
            qFatal("quillet did not finish");
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }

    QString file(const QString &name) const { return m_files.filePath(name); }

    // What the template makes of the unprinted waybills, prepared here to know which texts
    // each page holds; where they must land comes from the template alone.
    struct Prepared {
        DataSet note;
        DataSet sub;
        RecordReport records{&note, &sub};
        explicit Prepared(const TestDatabase &db)
        {
            db.open(note, QStringLiteral("快递运单"), QStringLiteral("打印标记=0"));
            sub.setMasterLink(&note, QStringLiteral("ID"), QStringLiteral("MID"));
            db.open(sub, QStringLiteral("快递运单Sub"));
            TemplateStore store(db.db(), QStringLiteral("A01"));
            store.lookup();
            records.report().loadFromBytes(store.templateBytes());
            records.report().prepare();
        }
    };

private Q_SLOTS:
    void init() { m_db = std::make_unique<TestDatabase>(); }
    void cleanup() { m_db.reset(); }

    void helpIsInChinese()
    {
        const Run run = quillet({QStringLiteral("--help")});
        QCOMPARE(run.status, 0);
        QVERIFY2(run.out.startsWith(QStringLiteral("用法：")), qPrintable(run.out));
        for (const char *command : {"quillet kinds", "quillet print", "quillet import",
                                    "quillet export", "--as-printed", "--mark"})
            QVERIFY2(run.out.contains(QLatin1String(command)), command);
    }

    void kindsAreListed()
    {
        const Run run = quillet({QStringLiteral("kinds")});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.err, QString());
        QCOMPARE(run.out.split(u'\n', Qt::SkipEmptyParts),
                 QStringList(
                     {"代码\t名称\t记录数\t模板", "A01\t快递运单\t4\t有", "A02\t收款收据\t2\t无"}));
    }

    // As the preview shows them: each unprinted waybill once, on the scanned form, every
    // field where the template puts it; nothing marked.
    void printsToPdfAsThePreviewShows()
    {
        const QString pdf = file(QStringLiteral("运单.pdf"));
        const Run run = quillet({"print", "--kind", "A01", "--pdf", pdf});
        QCOMPARE(run.err, QString());
        QCOMPARE(run.status, 0);
        Prepared prepared(*m_db);
        QCOMPARE(prepared.records.report().preparedPages().size(), 3);
        DemoWaybill::verifyPlacement(prepared.records.report(), pdf);
        QCOMPARE(PdfText::imageCount(pdf), 3);
        QCOMPARE(m_db->flaggedWaybills(), QStringList{"YD20260003"});
    }

    // As printed: no scanned form, the printer correction applied, every copy.
    void printsToPdfAsPrinted()
    {
        const QPointF correction(1.5, -2.25);
        DemoWaybill::storeCorrectedTemplate(m_db->db(), correction);
        const QString pdf = file(QStringLiteral("printed.pdf"));
        const Run run =
            quillet({"print", "--kind", "A01", "--pdf", pdf, "--as-printed", "--copies", "2"});
        QCOMPARE(run.err, QString());
        QCOMPARE(run.status, 0);
        QCOMPARE(PdfText::pageCount(pdf), 6);
        QCOMPARE(PdfText::imageCount(pdf), 0);
        Prepared prepared(*m_db);
        DemoWaybill::verifyPlacement(prepared.records.report(), pdf, correction, 2);
    }

    // Exactly the records printed are marked: the view the options chose.
    void markMarksThePrintedRecords_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("pages");
        QTest::addColumn<QStringList>("flagged");
        QTest::newRow("unprinted")
            << QStringList() << 3
            << QStringList({"YD20260001", "YD20260002", "YD20260003", "YD20260004"});
        QTest::newRow("keyword") << QStringList({"--keyword", "东方物资"}) << 1
                                 << QStringList({"YD20260002", "YD20260003"});
        QTest::newRow("without --mark")
            << QStringList({"--no-mark"}) << 3 << QStringList({"YD20260003"});
    }
    void markMarksThePrintedRecords()
    {
        QFETCH(QStringList, options);
        QFETCH(int, pages);
        QFETCH(QStringList, flagged);
        QTemporaryDir folder;
        QStringList arguments{"print", "--kind", "A01", "--png", folder.path()};
        if (!options.removeAll("--no-mark"))
            arguments << "--mark";
        const Run run = quillet(arguments + options);
        QCOMPARE(run.err, QString());
        QCOMPARE(run.status, 0);
        QCOMPARE(QDir(folder.path()).entryList({"A01_*.png"}).size(), pages);
        QCOMPARE(m_db->flaggedWaybills(), flagged);
    }

    // The records in view as a workbook, read back by openpyxl; nothing in view writes
    // nothing.
    void exportWritesTheView()
    {
        const QString workbook = file(QStringLiteral("运单.xlsx"));
        const Run run = quillet({"export", "--kind", "A01", "--filter", "已打印", workbook});
        QCOMPARE(run.err, QString());
        QCOMPARE(run.status, 0);
        QString json;
        QVERIFY(runPython(QStringLiteral(QUILLET_WORKBOOK_FIXTURES "/read_written.py"), {workbook},
                          &json));
        const QJsonArray rows = QJsonDocument::fromJson(json.toUtf8())["rows"].toArray();
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[0].toArray()[1].toString(), QString("单号"));
        QCOMPARE(rows[1].toArray()[1].toString(), QString("YD20260003"));
        QVERIFY(QFile::exists(file(QStringLiteral("运单明细.xlsx"))));

        const QString none = file(QStringLiteral("none.xlsx"));
        const Run empty = quillet({"export", "--kind", "A01", "--keyword", "没有这样的", none});
        QCOMPARE(empty.status, 2);
        QVERIFY(!QFile::exists(none));
    }

    // Rows of a workbook (ID, 单号, 收货单位, 地址, 金额), written by openpyxl; the ID column is
    // passed over by an import, but a row needs its first cell.
    QString workbook(const QJsonArray &dataRows)
    {
        QJsonArray rows{QJsonArray{"ID", "单号", "收货单位", "地址", "金额"}};
        for (const QJsonValue &row : dataRows)
            rows << row;
        QFile json(file("rows.json"));
        if (!json.open(QIODevice::WriteOnly))
            return {};
        json.write(QJsonDocument(rows).toJson());
        json.close();
        const QString path = file(QStringLiteral("rows%1.xlsx").arg(dataRows.size()));
        return runPython(QStringLiteral(QUILLET_WORKBOOK_FIXTURES "/write_rows.py"),
                         {path, json.fileName()})
                   ? path
                   : QString();
    }

    // New records get what the record window gives them: unprinted, filled in today.
    void importAppendsRows()
    {
        const QString path = workbook({QJsonArray{1, "YD20269001", "新单位", "新地址", 12.5},
                                       QJsonArray{2, "YD20269002", "又一单位", "又一地址", 7}});
        QVERIFY(!path.isEmpty());
        const Run run = quillet({"import", "--kind", "A01", path});
        QCOMPARE(run.err, QString());
        QCOMPARE(run.status, 0);
        const DataPacket added = GetSqlData(
            m_db->db(), "SELECT 单号, 金额, 打印标记, date(填写日期) FROM 快递运单 WHERE ID > 4");
        const QString today = QDate::currentDate().toString(Qt::ISODate);
        QCOMPARE(added.rows.size(), 2);
        QCOMPARE(added.rows[0][0].toString(), QString("YD20269001"));
        QCOMPARE(added.rows[0][1].toString(), QString("12.5"));
        QCOMPARE(added.rows[1][0].toString(), QString("YD20269002"));
        for (const QVariantList &row : added.rows) {
            QCOMPARE(row[2].toInt(), 0);
            QCOMPARE(row[3].toString(), today);
        }
    }

    // The second data row's 金额 is no amount: the first row is not kept either.
    void importRefusedHalfWayLeavesTheTable()
    {
        const QString path = workbook({QJsonArray{1, "YD20269001", "新单位", "新地址", 12.5},
                                       QJsonArray{2, "YD20269002", "新单位", "新地址", "十二元"}});
        QVERIFY(!path.isEmpty());
        const Run run = quillet({"import", "--kind", "A01", path});
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains(QStringLiteral("第3行")), qPrintable(run.err));
        QCOMPARE(GetSqlValue(m_db->db(), "SELECT count(*) FROM 快递运单"), QString("4"));
    }

    void refusals_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown kind") << QStringList({"print", "--kind", "Z99", "--pdf", "x.pdf"})
                                      << "没有代码为“Z99”的单据类型。";
        QTest::newRow("no template")
            << QStringList({"print", "--kind", "A02", "--pdf", "x.pdf"})
            << "单据类型 A02（收款收据）还没有模板，请先在单据窗口中用“设计”做好模板。";
        QTest::newRow("copies") << QStringList({"print", "--kind", "A01", "--copies", "abc"})
                                << "打印份数“abc”不是有效的整数。";
        QTest::newRow("unknown option")
            << QStringList({"kinds", "--kind", "A01"}) << "命令 kinds 没有选项 --kind。";
        QTest::newRow("no kind") << QStringList({"print"})
                                 << "命令 print 需要 --kind 指明单据类型代码。";
    }
    void refusals()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        QDir::setCurrent(m_files.path());
        const Run run = quillet(arguments);
        QCOMPARE(run.status, 1);
        QCOMPARE(run.err.trimmed(), message);
        QCOMPARE(run.out, QString());
        QVERIFY(!QFile::exists(file("x.pdf")));
        QCOMPARE(m_db->flaggedWaybills(), QStringList{"YD20260003"});
    }

    // Another program holds the database for writing: nothing is marked, and the script is
    // told so.
    void busyDatabaseIsTold()
    {
        QSqlDatabase db = m_db->db();
        QVERIFY(db.transaction());
        RunSql(db, "UPDATE 快递运单 SET 地址 = 地址 WHERE ID = 1");
        const Run run = quillet({"print", "--kind", "A01", "--pdf", file("busy.pdf"), "--mark"});
        db.rollback();
        QCOMPARE(run.status, 1);
        QCOMPARE(run.err.trimmed(),
                 QStringLiteral("数据库正被其他程序占用，操作没有完成。请稍后再试。"));
        QCOMPARE(m_db->flaggedWaybills(), QStringList{"YD20260003"});
    }
};

QTEST_MAIN(TestCommandLine)
#include "tst_commandline.moc"
