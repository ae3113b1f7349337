#include "support/FileDialogAnswers.h"
#include "support/MessageRecorder.h"
#include "support/RecordWindowFixture.h"

#include "records/FilterControls.h"
#include "records/RecordGrid.h"
#include "records/TmakeNote.h"
#include "store/DataSet.h"
#include "store/SqlHelpers.h"
#include "store/Worksheet.h"

#include <QAction>
#include <QFile>
#include <QImage>
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
        QCOMPARE(count("SELECT group_concat(ID || '|' || 单号 || '|' || 金额 || '|' || 打印标记 || '|' || 填写日期, ',') "
                       "FROM 快递运单 WHERE ID > 4"),
                 QString("5|YD20260001|1234.5|0|%1,6|YD20260002|860|0|%1,7|YD20260004|320.25|0|%1").arg(today));
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
        m_db->exec("CREATE TABLE 照片单 (ID INTEGER PRIMARY KEY AUTOINCREMENT, 名称 Text (20), 照片 LONGBINARY, 打印标记 yesno NOT NULL DEFAULT 0, 填写日期 Time);\n"
                   "CREATE TABLE 照片单sub (ID INTEGER PRIMARY KEY AUTOINCREMENT, MID int, 附图 LONGBINARY);\n"
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
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at); // the first click of the two
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
        QCOMPARE(GetSqlData(m_db->db(), "SELECT 附图 FROM 照片单sub").rows[0][0].toByteArray(), bytes);
        doubleClick(main, 0, 2); // cancelled: the picture stays
        QCOMPARE(GetSqlData(m_db->db(), "SELECT 照片 FROM 照片单").rows[0][0].toByteArray(), bytes);
        QVERIFY(messages.shown().isEmpty());
    }
};

QTEST_MAIN(TestRecordExcel)
#include "tst_recordexcel.moc"
