#include "support/FileDialogAnswers.h"
#include "support/MessageRecorder.h"
#include "support/RecordWindowFixture.h"

#include "records/FilterControls.h"
#include "records/TmakeNote.h"
#include "store/DataSet.h"
#include "store/IniFile.h"
#include "store/ProgramFolder.h"
#include "store/SqlHelpers.h"
#include "store/Worksheet.h"
#include "widgets/RecordGrid.h"

#include <QAction>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QtTest>

// The record window's workbook and picture commands over the demo waybill kind (快递运单:
// four records, the third printed; five detail rows, two under the first record).
class TestRecordExcel : public QObject, private RecordWindowFixture {
    Q_OBJECT

    QString count(const QString &sql) const { return GetSqlValue(m_db->db(), sql); }

private Q_SLOTS:
    void init() { startDatabase(); }
    void cleanup() { closeAll(); }

    void exportsRecordsInViewThenEveryDetailRow()
    {
        MessageRecorder messages;
        FileDialogAnswers files;
        open("A01", "快递运单");
        m_window->ExportToExcel();
        QCOMPARE(files.opened().size(), 2);
        const Worksheet records = Worksheet::readFirst(files.opened()[0]);
        QCOMPARE(records.name(), QString("ChildForm"));
        QCOMPARE(records.rowCount(), 4); // titles and the three unprinted records
        QCOMPARE(records.text(0, 0), QString("ID"));
        QCOMPARE(records.text(3, 1), QString("YD20260004"));
        const Worksheet details = Worksheet::readFirst(files.opened()[1]);
        QCOMPARE(details.name(), QString("ChildForm明细"));
        QCOMPARE(details.rowCount(), 6); // every detail row, the printed record's too
        QCOMPARE(details.text(0, 1), QString("MID"));
        QCOMPARE(details.text(5, 1), QString("4"));
        // Afterwards the detail grid follows the first record again.
        QCOMPARE(m_window->mainDataSet()->currentRow(), 0);
        QCOMPARE(m_window->detailDataSet()->rowCount(), 2);
        QVERIFY(messages.shown().isEmpty());
    }

    // Every command that reads a table afresh keeps the grids as laid out: the detail grid's
    // link columns stay hidden and their stored widths are written back, not 0.
    void layoutSurvivesReopening_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("export") << "export";
        QTest::newRow("import") << "import";
        QTest::newRow("paste") << "paste";
        QTest::newRow("detail import") << "detail import";
    }
    void layoutSurvivesReopening()
    {
        QFETCH(QString, command);
        MessageRecorder messages;
        FileDialogAnswers files;
        IniFile settings(ProgramFolder::settingsPath());
        settings.writeValues("A01sub", {{"0", "40"}, {"1", "45"}, {"2", "33"}});
        open("A01", "快递运单");
        RecordGrid *main = m_window->mainGrid();
        RecordGrid *detail = m_window->detailGrid();
        main->setColumnWidth(1, 77); // dragged by the user, not stored yet
        const int mid = m_window->detailDataSet()->columnIndex("MID");
        if (command == "export") {
            m_window->ExportToExcel();
        } else if (command == "import") {
            m_window->ImportFromExcel(); // the file dialog is cancelled: the table is read afresh
        } else if (command == "paste") {
            m_window->CopyRow();
            m_window->PasteRow();
        } else {
            m_window->findChild<QAction *>("actImportsub")->trigger();
        }
        QVERIFY(detail->isColumnHidden(0));
        QVERIFY(detail->isColumnHidden(mid));
        QCOMPARE(detail->columnWidth(2), 33);
        QVERIFY(!main->isColumnHidden(0));
        QCOMPARE(main->columnWidth(1), command == "import" || command == "paste" ? 150 : 77);
        // A hidden link column takes no typing.
        detail->setCurrentIndex(detail->model()->index(0, mid));
        QTest::keyClicks(detail, "9");
        QVERIFY(!detail->findChild<QLineEdit *>());
        m_window->SaveLayout();
        IniFile written(ProgramFolder::settingsPath());
        QCOMPARE(written.readInteger("A01sub", "0", -1), 40);
        QCOMPARE(written.readInteger("A01sub", "1", -1), 45);
        QCOMPARE(written.readInteger("A01sub", "2", -1), 33);
        QVERIFY(messages.shown().isEmpty());
    }

    void exportWithNoRecordInViewDoesNothing()
    {
        FileDialogAnswers files;
        open("A01", "快递运单");
        m_window->mainDataSet()->setFilter("打印标记=0 and 金额 > 1000000");
        m_window->ExportToExcel();
        QVERIFY(files.opened().isEmpty());
    }

    void exportedRecordsImportBackAsNewUnprintedRecords()
    {
        MessageRecorder messages;
        FileDialogAnswers files;
        open("A01", "快递运单");
        m_window->ExportToExcel();
        files.answer(files.opened()[0]);
        m_window->ImportFromExcel();
        QCOMPARE(count("SELECT count(*) FROM 快递运单"), QString("7"));
        const QString today = QDate::currentDate().toString("yyyy-MM-dd") + " 00:00:00";
        QCOMPARE(count("SELECT group_concat(ID || '|' || 单号 || '|' || 金额 || '|' || 打印标记 || "
                       "'|' || 填写日期, ',') "
                       "FROM 快递运单 WHERE ID > 4"),
                 QString("5|YD20260001|1234.5|0|%1,6|YD20260002|860|0|%1,7|YD20260004|320.25|0|%1")
                     .arg(today));
        QCOMPARE(m_window->mainDataSet()->rowCount(), 6); // all unprinted, all in view
    }

    void detailRowsImportUnderTheStoredRecordOnly()
    {
        MessageRecorder messages;
        FileDialogAnswers files;
        open("A01", "快递运单");
        m_window->ExportToExcel();
        const QString details = files.opened()[1];
        QAction *importSub = m_window->findChild<QAction *>("actImportsub");
        m_window->mainDataSet()->append(); // a record not stored yet
        importSub->trigger();
        QCOMPARE(messages.shown().size(), 1);
        QVERIFY(files.requests().isEmpty()); // not even asked for a file
        m_window->mainDataSet()->cancel();
        m_window->mainDataSet()->setCurrentRow(1); // YD20260002, ID 2
        files.answer(details);
        importSub->trigger();
        QCOMPARE(count("SELECT count(*) FROM 快递运单sub WHERE MID = 2"), QString("6"));
        QCOMPARE(m_window->detailDataSet()->rowCount(), 6);
    }

    void pictureCellsTakeTheFileBytes()
    {
        m_db->exec("CREATE TABLE 照片单 (ID INTEGER PRIMARY KEY AUTOINCREMENT, 名称 Text (20), "
                   "照片 LONGBINARY, 打印标记 yesno NOT NULL DEFAULT 0, 填写日期 Time);\n"
                   "CREATE TABLE 照片单sub (ID INTEGER PRIMARY KEY AUTOINCREMENT, MID int, 附图 "
                   "LONGBINARY);\n"
                   "INSERT INTO 照片单 (名称) VALUES ('一号');\n"
                   "INSERT INTO 照片单sub (MID) VALUES (1);");
        QTemporaryDir dir;
        const QString picture = dir.filePath("扫描件.png");
        QImage image(40, 30, QImage::Format_RGB32);
        image.fill(Qt::red);
        QVERIFY(image.save(picture));
        QFile file(picture);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();

        MessageRecorder messages;
        FileDialogAnswers files;
        open("Z01", "照片单");
        m_window->show();
        RecordGrid *main = m_window->mainGrid();
        auto doubleClick = [](RecordGrid *grid, int row, int column) {
            const QPoint at = grid->visualRect(grid->model()->index(row, column)).center();
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                              at); // the first click of the two
            QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
        };
        doubleClick(main, 0, 1); // a text cell: no dialog
        QVERIFY(files.requests().isEmpty());
        files.answer(picture);
        doubleClick(main, 0, 2);
        QCOMPARE(files.requests().size(), 1);
        QCOMPARE(GetSqlData(m_db->db(), "SELECT 照片 FROM 照片单").rows[0][0].toByteArray(), bytes);
        files.answer(picture);
        doubleClick(m_window->detailGrid(), 0, 2);
        QCOMPARE(GetSqlData(m_db->db(), "SELECT 附图 FROM 照片单sub").rows[0][0].toByteArray(),
                 bytes);
        doubleClick(main, 0, 2); // cancelled: the picture stays
        QCOMPARE(GetSqlData(m_db->db(), "SELECT 照片 FROM 照片单").rows[0][0].toByteArray(), bytes);
        QVERIFY(messages.shown().isEmpty());
    }
};

QTEST_MAIN(TestRecordExcel)
#include "tst_recordexcel.moc"
