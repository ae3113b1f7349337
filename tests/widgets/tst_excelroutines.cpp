#include "support/FileDialogAnswers.h"
#include "support/MessageRecorder.h"
#include "support/Python.h"
#include "support/TestDatabase.h"

#include "store/DataSet.h"
#include "store/Database.h"
#include "store/SqlHelpers.h"
#include "store/StoreError.h"
#include "store/Worksheet.h"
#include "store/XlsReader.h"
#include "widgets/ExcelRoutines.h"

#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProgressDialog>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QtTest>

// The spreadsheet routines over the demo waybill kind 快递运单 (ID, 单号, 收货单位, 地址,
// 金额, 打印标记, 填写日期; four records, the third printed), with workbooks written by
// openpyxl and xlwt and exported workbooks read back by openpyxl.
class TestExcelRoutines : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_files = 0;

    static QString fixture(const QString &name)
    {
        return QStringLiteral(QUILLET_WORKBOOK_FIXTURES "/") + name;
    }

    static QJsonValue date(const QString &iso, const QString &format = "yyyy-mm-dd")
    {
        return QJsonObject{{"date", iso}, {"format", format}};
    }

    static const QJsonArray &titles()
    {
        static const QJsonArray t{"ID", "单号", "收货单位", "地址", "金额", "打印标记", "填写日期"};
        return t;
    }

    // A workbook of these rows written by another program; the extension picks which.
    QString workbook(const QJsonArray &rows, const QString &extension = "xlsx")
    {
        const QString base = m_dir.filePath(QString::number(++m_files));
        QFile json(base + ".json");
        if (!json.open(QIODevice::WriteOnly))
            return QString();
        json.write(QJsonDocument(rows).toJson());
        json.close();
        const QString file = base + "." + extension;
        return runPython(fixture("write_rows.py"), {file, json.fileName()}) ? file : QString();
    }

    // What openpyxl finds in a workbook we wrote.
    static QJsonObject readBack(const QString &file)
    {
        QString json;
        if (!runPython(fixture("read_written.py"), {file}, &json))
            return {};
        return QJsonDocument::fromJson(json.toUtf8()).object();
    }

    static QStringList dump(const QString &query)
    {
        QStringList rows;
        for (const QVariantList &row : GetSqlData(Database::connection(), query).rows) {
            QStringList cells;
            for (const QVariant &v : row)
                cells << (v.isNull() ? "<null>" : v.toString());
            rows << cells.join('|');
        }
        return rows;
    }

    static int recordCount()
    {
        return GetSqlValue(Database::connection(), "SELECT COUNT(*) FROM 快递运单").toInt();
    }

    static QString today() { return QDate::currentDate().toString("yyyy-MM-dd 00:00:00"); }

    static void openWaybills(DataSet &ds, bool fillDate)
    {
        ds.setDatabase(Database::connection());
        ds.setTableName("快递运单");
        if (fillDate)
            ds.afterInsert = [](DataSet &d) {
                d.setFieldValue("填写日期", QDate::currentDate().startOfDay());
            };
        ds.open();
    }

    // Imports the file into the demo waybills and expects one refusal starting with message
    // and the four demo records untouched.
    static void importIsRefused(const QString &file, const QString &message)
    {
        DataSet ds;
        openWaybills(ds, true);
        FileDialogAnswers dialogs;
        dialogs.answer(file);
        MessageRecorder messages;

        QVERIFY(!ImportExcelRows(nullptr, &ds, "ID;打印标记;填写日期"));
        QCOMPARE(messages.shown().size(), 1);
        QVERIFY2(messages.lastText().startsWith(message), qPrintable(messages.lastText()));
        QCOMPARE(recordCount(), 4);
    }

    static void removeExported(const QStringList &files)
    {
        for (const QString &f : files)
            QDir(QFileInfo(f).absolutePath()).removeRecursively();
    }

private Q_SLOTS:
    void importsSheetsOfOtherPrograms_data()
    {
        QTest::addColumn<QString>("extension");
        QTest::newRow("xlsx by openpyxl") << "xlsx";
        QTest::newRow("xls by xlwt") << "xls";
    }
    void importsSheetsOfOtherPrograms()
    {
        QFETCH(QString, extension);
        TestDatabase t;
        QJsonArray titleRow = titles();
        titleRow << "备注";
        const QString file = workbook(
            {titleRow,
             QJsonArray{99, "00123", "北京华联商厦", "北京市朝阳区", 1234.5, true,
                        date("2026-01-02T00:00:00"), "多余"},
             QJsonArray{QJsonValue(), "00999", "首格空白的行", "", 1, false, QJsonValue(), ""},
             QJsonArray{"  ", "00998", "首格只有空格的行", "", 1, false, QJsonValue(), ""},
             QJsonArray{98, 12345678901234.0, "上海“东方”物资", "", 0.05, false},
             QJsonArray{97, "A-01", "成都"}},
            extension);
        QVERIFY(!file.isEmpty());
        DataSet ds;
        openWaybills(ds, true);
        FileDialogAnswers dialogs;
        dialogs.answer(file);
        MessageRecorder messages;

        QVERIFY(ImportExcelRows(nullptr, &ds, "ID;打印标记;填写日期"));
        QCOMPARE(messages.texts(), QStringList());
        QCOMPARE(dump("SELECT ID, 单号, 收货单位, 地址, 金额, 打印标记, 填写日期 FROM 快递运单 "
                      "WHERE ID > 4"),
                 (QStringList{"5|00123|北京华联商厦|北京市朝阳区|1234.5|0|" + today(),
                              "6|12345678901234|上海“东方”物资|<null>|0.05|0|" + today(),
                              "7|A-01|成都|<null>|<null>|0|" + today()}));
        QCOMPARE(ds.rowCount(), 7);
        QCOMPARE(ds.currentRow(), 0);
    }

    void yesNoAndDateCellsLand_data()
    {
        QTest::addColumn<QString>("extension");
        QTest::newRow("xlsx by openpyxl") << "xlsx";
        QTest::newRow("xls by xlwt") << "xls";
    }
    void yesNoAndDateCellsLand()
    {
        QFETCH(QString, extension);
        TestDatabase t;
        const QString file = workbook(
            {titles(), QJsonArray{1, "D1", "甲", "", 1, true, date("2026-12-09T00:00:00")},
             QJsonArray{2, "D2", "乙", "", 1, "false", "2026-12-10"},
             QJsonArray{3, "D3", "丙", "", 1, 0,
                        date("2026-12-11T00:00:00", "yyyy\"年\"m\"月\"d\"日\"")},
             QJsonArray{4, "D4", "丁", "", 1, 2.5, "2026/12/12 08:30"},
             QJsonArray{5, "D5", "戊", "", 1, "TRUE",
                        date("2026-12-13T18:30:05", "yyyy-mm-dd hh:mm:ss")},
             QJsonArray{6, "D6", "己", "", 1, -1},
             QJsonArray{7, "D7", "庚", true, 1, false, date("2026-12-14T08:15:00", "yyyy-mm-dd")}},
            extension);
        DataSet ds;
        openWaybills(ds, false);
        FileDialogAnswers dialogs;
        dialogs.answer(file);
        MessageRecorder messages;

        QVERIFY(ImportExcelRows(nullptr, &ds, "ID"));
        QCOMPARE(dump("SELECT 单号, 地址, 打印标记, 填写日期 FROM 快递运单 WHERE ID > 4"),
                 (QStringList{"D1|<null>|1|2026-12-09 00:00:00", "D2|<null>|0|2026-12-10 00:00:00",
                              "D3|<null>|0|2026-12-11 00:00:00", "D4|<null>|1|2026-12-12 08:30:00",
                              "D5|<null>|1|2026-12-13 18:30:05", "D6|<null>|1|<null>",
                              "D7|TRUE|0|2026-12-14 08:15:00"}));
    }

    void importsDetailRowsUnderTheCurrentRecord()
    {
        TestDatabase t;
        DataSet master, detail;
        openWaybills(master, false);
        master.setCurrentRow(1); // record 2
        detail.setDatabase(t.db());
        detail.setTableName("快递运单sub");
        detail.setMasterLink(&master, "ID", "MID");
        detail.afterInsert = [&master](DataSet &d) {
            d.setFieldValue("MID", master.fieldValue("ID"));
        };
        detail.open();
        FileDialogAnswers dialogs;
        dialogs.answer(workbook({QJsonArray{"ID", "MID", "品名", "数量", "单价"},
                                 QJsonArray{1, 4, "墨盒", 3, 88.8},
                                 QJsonArray{2, 4, "订书机", "12", "15.5"}}));
        MessageRecorder messages;

        QVERIFY(ImportExcelRows(nullptr, &detail, "ID;MID"));
        QCOMPARE(messages.texts(), QStringList());
        QCOMPARE(dump("SELECT MID, 品名, 数量, 单价 FROM 快递运单sub WHERE ID > 5"),
                 (QStringList{"2|墨盒|3|88.8", "2|订书机|12|15.5"}));
        QCOMPARE(detail.rowCount(), 3);
    }

    void refusedCellUndoesTheWholeImport_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QJsonValue>("cell");
        QTest::addColumn<QString>("where");
        QTest::newRow("letters into money")
            << 4 << QJsonValue("一百元") << "第5行E列（栏目“金额”）";
        QTest::newRow("other text into yes/no")
            << 5 << QJsonValue("abc") << "第5行F列（栏目“打印标记”）";
        QTest::newRow("empty yes/no") << 5 << QJsonValue() << "第5行F列（栏目“打印标记”）";
        QTest::newRow("no date") << 6 << QJsonValue("明天") << "第5行G列（栏目“填写日期”）";
        QTest::newRow("too long for the column")
            << 1 << QJsonValue(QString(21, u'x')) << "第5行B列（栏目“单号”）";
    }
    void refusedCellUndoesTheWholeImport()
    {
        QFETCH(int, column);
        QFETCH(QJsonValue, cell);
        QFETCH(QString, where);
        TestDatabase t;
        QJsonArray rows;
        rows << titles();
        for (int i = 2; i <= 6; ++i)
            rows << QJsonArray{i, QStringLiteral("D%1").arg(i), "甲", "", 1, false, "2026-12-09"};
        QJsonArray bad = rows[4].toArray();
        bad[column] = cell;
        rows[4] = bad;
        const QString file = workbook(rows);
        DataSet ds;
        openWaybills(ds, false);
        FileDialogAnswers dialogs;
        dialogs.answer(file);
        MessageRecorder messages;

        QVERIFY(!ImportExcelRows(nullptr, &ds, "ID"));
        QCOMPARE(messages.shown().size(), 1);
        QCOMPARE(messages.shown()[0].kind, Messages::Kind::Error);
        QVERIFY2(messages.lastText().contains(where), qPrintable(messages.lastText()));
        QCOMPARE(recordCount(), 4);
        QCOMPARE(ds.rowCount(), 4);
    }

    void badInputWritesNothing_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message");
        const QString none = "电子表格中没有可以导入的数据";
        QTest::newRow("text renamed") << "text" << Worksheet::NotAWorkbook;
        QTest::newRow("truncated zip") << "truncated" << Worksheet::NotAWorkbook;
        QTest::newRow("empty workbook") << "empty" << none;
        QTest::newRow("only titles") << "titles" << none;
        QTest::newRow("only blank first cells") << "blank" << none;
    }
    void badInputWritesNothing()
    {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        TestDatabase t;
        QString file;
        if (kind == "text" || kind == "truncated") {
            QByteArray bytes = "单号,收货单位\nYD1,北京\n";
            if (kind == "truncated") {
                QFile good(workbook({titles(), QJsonArray{1, "D1"}}));
                QVERIFY(good.open(QIODevice::ReadOnly));
                bytes = good.readAll().left(good.size() * 2 / 3);
            }
            file = m_dir.filePath(kind + ".xlsx");
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(bytes);
        } else if (kind == "empty") {
            file = workbook({});
        } else if (kind == "titles") {
            file = workbook(QJsonArray{QJsonValue(titles())});
        } else {
            file = workbook({titles(), QJsonArray{QJsonValue(), "D1"}, QJsonArray{" ", "D2"}});
        }
        importIsRefused(file, message);
    }

    // Workbooks that must be refused whole, whatever they do to the reader.
    void oversizedAndDamagedFilesImportNothing_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("message");
        QTest::newRow("xls that crashes freexl")
            << fixture("damaged.xls") << Worksheet::NotAWorkbook;
        QTest::newRow("a value in column XFD of 4000 rows") << "wide.xlsx"
                                                            << "电子表格中没有可以导入的数据";
        QTest::newRow("a shared string of 64 million characters")
            << "longtext.xlsx" << Worksheet::TooLarge;
    }
    void oversizedAndDamagedFilesImportNothing()
    {
        QFETCH(QString, file);
        QFETCH(QString, message);
        if (!QFileInfo(file).isAbsolute()) {
            const QString folder = m_dir.filePath("oversized");
            if (!QFileInfo::exists(folder)) {
                QVERIFY(QDir().mkpath(folder));
                QVERIFY(runPython(fixture("make_oversized.py"), {folder}));
            }
            file = QDir(folder).filePath(file);
        }
        TestDatabase t;
        importIsRefused(file, message);
    }

    // The .xls reader runs as a process of its own: one that crashes, hangs, spins, hoards
    // memory or talks nonsense is refused like a damaged file, and nothing is imported.
    void misbehavingXlsReaderImportsNothing_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("timeoutMs");
        QTest::addColumn<int>("cpuSeconds");
        const QString sh = "/bin/sh";
        const QString python = "/usr/bin/python3";
        QTest::newRow("crashes") << sh << QStringList{"-c", "kill -SEGV $$", "sh"} << 60000 << 60;
        QTest::newRow("hangs") << sh << QStringList{"-c", "exec sleep 600", "sh"} << 1000 << 60;
        QTest::newRow("spins") << python << QStringList{"-c", "while True: pass"} << 60000 << 1;
        QTest::newRow("hoards memory")
            << python << QStringList{"-c", "b = []\nwhile True: b.append(bytearray(1 << 24))"}
            << 60000 << 60;
        QTest::newRow("says nothing") << sh << QStringList{"-c", "exit 0", "sh"} << 60000 << 60;
        QTest::newRow("closes its output and hangs")
            << sh << QStringList{"-c", "exec sleep 600 >&-", "sh"} << 1000 << 60;
        QTest::newRow("talks nonsense")
            << sh << QStringList{"-c", "printf 'Hello, world'", "sh"} << 60000 << 60;
        QTest::newRow("stops in the middle")
            << sh << QStringList{"-c", "printf 'N\001\000\000\000aC\001'", "sh"} << 60000 << 60;
    }
    void misbehavingXlsReaderImportsNothing()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        QFETCH(int, timeoutMs);
        QFETCH(int, cpuSeconds);
        TestDatabase t;
        const QString file = workbook({titles(), QJsonArray{1, "D1", "甲"}}, "xls");
        XlsReader::Process reader;
        reader.program = program;
        reader.arguments = arguments;
        reader.timeoutMs = timeoutMs;
        reader.cpuSeconds = cpuSeconds;
        reader.memoryBytes = qint64(256) << 20;
        XlsReader::setProcess(reader);
        const auto restored =
            qScopeGuard([] { XlsReader::setProcess(XlsReader::defaultProcess()); });
        importIsRefused(file, Worksheet::NotAWorkbook);
    }

    void missingXlsReaderIsNamed()
    {
        XlsReader::Process reader;
        reader.program = m_dir.filePath("no-such-reader");
        XlsReader::setProcess(reader);
        const auto restored =
            qScopeGuard([] { XlsReader::setProcess(XlsReader::defaultProcess()); });
        FileDialogAnswers dialogs;
        dialogs.answer(workbook({titles(), QJsonArray{1, "D1"}}, "xls"));
        MessageRecorder messages;
        QStringList found;
        QVERIFY(!ReadExcelTitles(nullptr, &found));
        QCOMPARE(messages.shown().size(), 1);
        QVERIFY2(messages.lastText().contains("no-such-reader"), qPrintable(messages.lastText()));
    }

    void cancelledFileDialogDoesNothing()
    {
        TestDatabase t;
        DataSet ds;
        openWaybills(ds, true);
        FileDialogAnswers dialogs;
        MessageRecorder messages;
        QVERIFY(!ImportExcelRows(nullptr, &ds, "ID;打印标记;填写日期"));
        QCOMPARE(dialogs.requests().size(), 1);
        QCOMPARE(dialogs.requests()[0].kind, FileDialogs::Kind::Open);
        QCOMPARE(dialogs.requests()[0].filter, "Excel 文件(*.xlsx *.xls)");
        QCOMPARE(messages.texts(), QStringList());
        QCOMPARE(recordCount(), 4);
    }

    void cancellingTheProgressUndoesTheImport()
    {
        TestDatabase t;
        QJsonArray rows;
        rows << titles();
        for (int i = 1; i <= 3000; ++i)
            rows << QJsonArray{i, QStringLiteral("D%1").arg(i)};
        const QString file = workbook(rows);
        DataSet ds;
        openWaybills(ds, false);
        // Slow rows, so that the import runs long enough to show its progress.
        ds.afterInsert = [](DataSet &) { QThread::usleep(1000); };
        FileDialogAnswers dialogs;
        dialogs.answer(file);
        MessageRecorder messages;
        int importedWhenCancelled = -1;
        QTimer canceller;
        connect(&canceller, &QTimer::timeout, this, [&] {
            for (QWidget *w : QApplication::topLevelWidgets()) {
                auto *progress = qobject_cast<QProgressDialog *>(w);
                if (progress && progress->isVisible() && progress->labelText() == "正在导入…" &&
                    importedWhenCancelled < 0) {
                    importedWhenCancelled = progress->value();
                    progress->cancel();
                }
            }
        });
        canceller.start(20);

        QVERIFY(!ImportExcelRows(nullptr, &ds, "ID;打印标记;填写日期"));
        QVERIFY(importedWhenCancelled > 0);
        QCOMPARE(messages.texts(), QStringList{"导入已取消，没有导入任何记录。"});
        QCOMPARE(recordCount(), 4);
        QCOMPARE(ds.rowCount(), 4);
    }

    void readsTitles()
    {
        FileDialogAnswers dialogs;
        dialogs.answer(workbook(
            {QJsonArray{"ID", " 名称 ", QJsonValue(), 12, QJsonValue()}, QJsonArray{1, "甲"}}));
        MessageRecorder messages;
        QStringList found{"已有"};
        QVERIFY(ReadExcelTitles(nullptr, &found));
        QCOMPARE(found, (QStringList{"已有", "ID", "名称", "F3", "12"}));
        QCOMPARE(messages.texts(), QStringList());
    }

    void titlesOfNothing_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("cancelled") << QString() << QStringList();
        QTest::newRow("empty first row")
            << "empty" << QStringList{"电子表格的第一行没有栏目名称。"};
        QTest::newRow("no workbook") << "text" << QStringList{Worksheet::NotAWorkbook};
    }
    void titlesOfNothing()
    {
        QFETCH(QString, answer);
        QFETCH(QStringList, messages);
        FileDialogAnswers dialogs;
        if (answer == "empty")
            dialogs.answer(workbook({QJsonArray{}, QJsonArray{"甲"}}));
        else if (answer == "text")
            dialogs.answer(fixture("write_rows.py"));
        MessageRecorder recorder;
        QStringList found;
        QVERIFY(!ReadExcelTitles(nullptr, &found));
        QCOMPARE(found, QStringList());
        QCOMPARE(recorder.texts(), messages);
    }

    void exportsWhatTheDataSetHolds_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("sheet");
        QTest::addColumn<QStringList>("numbers");
        QTest::newRow("records in view")
            << "ChildForm"
            << "打印标记=0"
            << "ChildForm" << QStringList{"YD20260001", "YD20260002", "YD20260004"};
        QTest::newRow("title refused as sheet name")
            << "运单/明细:2026"
            << ""
            << "运单_明细_2026"
            << QStringList{"YD20260001", "YD20260002", "YD20260003", "YD20260004"};
    }
    void exportsWhatTheDataSetHolds()
    {
        QFETCH(QString, title);
        QFETCH(QString, filter);
        QFETCH(QString, sheet);
        QFETCH(QStringList, numbers);
        TestDatabase t;
        DataSet ds;
        t.open(ds, "快递运单", filter);
        FileDialogAnswers dialogs;
        MessageRecorder messages;

        ExportGridToExcel(nullptr, &ds, title);
        QCOMPARE(messages.texts(), QStringList());
        QCOMPARE(dialogs.opened().size(), 1);
        const QJsonObject o = readBack(dialogs.opened()[0]);
        removeExported(dialogs.opened());
        QCOMPARE(o["sheet"].toString(), sheet);
        QCOMPARE(o["formats"].toArray().toVariantList(), QVariantList{"@"});
        QCOMPARE(o["kinds"].toArray().toVariantList(), QVariantList{"str"});
        QCOMPARE(o["blank_format"].toString(), "@");
        const QJsonArray rows = o["rows"].toArray();
        QCOMPARE(rows[0].toArray().toVariantList(), titles().toVariantList());
        QCOMPARE(rows.size(), numbers.size() + 1);
        for (qsizetype i = 0; i < numbers.size(); ++i) {
            const QString stored = dump("SELECT ID, 单号, 收货单位, 地址, 金额, CASE 打印标记 WHEN "
                                        "1 THEN 'True' ELSE 'False' END, "
                                        "substr(填写日期, 1, 10) FROM 快递运单 WHERE 单号 = '" +
                                        numbers[i] + "'")[0];
            QStringList cells;
            for (const QJsonValue &v : rows[i + 1].toArray())
                cells << v.toString();
            QCOMPARE(cells.join('|'), stored);
        }
    }

    void closedDataSetWritesNothing()
    {
        TestDatabase t;
        DataSet ds;
        ds.setDatabase(t.db());
        ds.setTableName("快递运单");
        FileDialogAnswers dialogs;
        MessageRecorder messages;
        ExportGridToExcel(nullptr, &ds, "ChildForm");
        QCOMPARE(dialogs.opened(), QStringList());
        QCOMPARE(messages.texts(), QStringList());
        QVERIFY(!QApplication::overrideCursor());
    }

    void desktopWithoutSpreadsheetProgramIsToldThePath()
    {
        FileDialogAnswers dialogs;
        dialogs.setDesktopOpens(false);
        MessageRecorder messages;
        ExportStructureToExcel(nullptr, {"ID", "客户"}, "发票栏目");
        QCOMPARE(dialogs.opened().size(), 1);
        const QString file = dialogs.opened()[0];
        QVERIFY(QFileInfo::exists(file));
        QCOMPARE(messages.shown().size(), 1);
        QVERIFY2(messages.lastText().contains(QDir::toNativeSeparators(file)),
                 qPrintable(messages.lastText()));
        removeExported(dialogs.opened());
    }

    void failedExportRestoresTheCursor()
    {
        TestDatabase t;
        DataSet ds;
        openWaybills(ds, false);
        FileDialogAnswers dialogs;
        // A temporary folder that is a file: no folder can be made in it.
        QFile blocker(m_dir.filePath("not-a-folder"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const QByteArray oldTemp = qgetenv("TMPDIR");
        qputenv("TMPDIR", QFile::encodeName(blocker.fileName()));
        bool refused = false;
        try {
            ExportGridToExcel(nullptr, &ds, "ChildForm");
        } catch (const StoreError &) {
            refused = true;
        }
        qputenv("TMPDIR", oldTemp);
        QVERIFY(refused);
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(dialogs.opened(), QStringList());
    }

    void exportsStructureTitles()
    {
        FileDialogAnswers dialogs;
        ExportStructureToExcel(nullptr, {"ID", "客户", "打印标记", "填写日期"}, "发票栏目");
        QCOMPARE(dialogs.opened().size(), 1);
        const QJsonObject o = readBack(dialogs.opened()[0]);
        removeExported(dialogs.opened());
        QCOMPARE(o["sheet"].toString(), "发票栏目");
        QCOMPARE(o["rows"].toArray(),
                 (QJsonArray{QJsonArray{"ID", "客户", "打印标记", "填写日期"}}));
        QCOMPARE(o["blank_format"].toString(), "@");
    }

    void exportedRecordsComeBackAsNewRecords()
    {
        TestDatabase t;
        DataSet ds;
        openWaybills(ds, true);
        FileDialogAnswers dialogs;
        MessageRecorder messages;
        ExportGridToExcel(nullptr, &ds, "ChildForm");
        QCOMPARE(dialogs.opened().size(), 1);
        dialogs.answer(dialogs.opened()[0]);
        QVERIFY(ImportExcelRows(nullptr, &ds, "ID;打印标记;填写日期"));
        removeExported(dialogs.opened());
        QCOMPARE(messages.texts(), QStringList());

        const QString userColumns =
            "SELECT 单号, 收货单位, 地址, 金额 FROM 快递运单 WHERE ID %1 ORDER BY ID";
        QCOMPARE(dump(userColumns.arg("> 4")), dump(userColumns.arg("<= 4")));
        QCOMPARE(
            dump("SELECT ID, 打印标记, 填写日期 FROM 快递运单 WHERE ID > 4"),
            (QStringList{"5|0|" + today(), "6|0|" + today(), "7|0|" + today(), "8|0|" + today()}));
    }
};

QTEST_MAIN(TestExcelRoutines)
#include "tst_excelroutines.moc"
