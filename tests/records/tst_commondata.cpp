#include "support/FileDialogAnswers.h"
#include "support/MessageRecorder.h"
#include "support/TestDatabase.h"

#include "records/TbaseDataForm.h"
#include "store/DataSet.h"
#include "store/IniFile.h"
#include "store/ProgramFolder.h"
#include "store/SqlHelpers.h"
#include "store/Worksheet.h"
#include "widgets/RecordGrid.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>

// The common-data window over the demo common data (ID, 单位名称, 地址, 电话, 联系人: 北京华联,
// 上海东方, 广州南方, IDs 1 to 3).
class TestCommonData : public QObject {
    Q_OBJECT

    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<TbaseDataForm> m_window;

    QString stored(const QString &sql) const { return GetSqlValue(m_db->db(), sql); }
    void openWindow()
    {
        m_window = std::make_unique<TbaseDataForm>();
        m_window->resize(800, 400);
        m_window->openTable();
    }
    DataSet *table() const { return m_window->mainDataSet(); }

private Q_SLOTS:
    void init() { m_db = std::make_unique<TestDatabase>(); }
    void cleanup()
    {
        m_window.reset();
        m_db.reset();
    }

    void showsEveryColumnOfTheTable()
    {
        openWindow();
        QCOMPARE(m_window->windowTitle(), QString("基础数据"));
        QCOMPARE(table()->rowCount(), 3);
        QCOMPARE(m_window->grid()->model()->columnCount(), 5);
        QVERIFY(!m_window->grid()->isColumnHidden(0));
    }

    // Until the first close there is no section: every column is 150 pixels once the file
    // exists; the close writes the section, which the next window reads.
    void widthsLiveInBaseData()
    {
        QFile::remove(ProgramFolder::settingsPath());
        IniFile(ProgramFolder::settingsPath()).writeValues("Option", {{"copies", "2"}});
        openWindow();
        QCOMPARE(m_window->grid()->columnWidth(2), 150);
        m_window->grid()->setColumnWidth(2, 260);
        m_window->SaveLayout();
        IniFile written(ProgramFolder::settingsPath());
        QCOMPARE(written.readInteger("baseData", "0", -1), 150);
        QCOMPARE(written.readInteger("baseData", "2", -1), 260);
        openWindow();
        QCOMPARE(m_window->grid()->columnWidth(2), 260);
    }

    void exportsEveryRowUnderItsCaption()
    {
        MessageRecorder messages;
        FileDialogAnswers files;
        openWindow();
        m_window->ExportToExcel();
        QCOMPARE(files.opened().size(), 1);
        const Worksheet sheet = Worksheet::readFirst(files.opened()[0]);
        QCOMPARE(sheet.name(), QString("基础数据"));
        QCOMPARE(sheet.rowCount(), 4);
        QCOMPARE(sheet.text(0, 0), QString("ID"));
        QCOMPARE(sheet.text(2, 1), QString("上海东方物资公司"));
        QCOMPARE(sheet.text(3, 4), QString("陈先生"));
        QVERIFY(messages.shown().isEmpty());
    }

    void exportOfAnEmptyTableDoesNothing()
    {
        FileDialogAnswers files;
        m_db->exec("DELETE FROM 常用数据");
        openWindow();
        m_window->ExportToExcel();
        QVERIFY(files.opened().isEmpty());
    }

    // The sheet's ID column is left alone: the rows come back with new IDs.
    void exportedRowsImportBackAsNewRows()
    {
        MessageRecorder messages;
        FileDialogAnswers files;
        openWindow();
        m_window->grid()->setColumnWidth(1, 222);
        m_window->SaveLayout();
        m_window->ExportToExcel();
        files.answer(files.opened()[0]);
        m_window->ImportFromExcel();
        QCOMPARE(stored("SELECT group_concat(ID || '|' || 单位名称 || '|' || 联系人, ',') FROM "
                        "常用数据 WHERE ID > 3"),
                 QString("4|北京华联商贸有限公司|王经理,5|上海东方物资公司|李主任,"
                         "6|广州南方电器厂|陈先生"));
        QCOMPARE(table()->rowCount(), 6);
        QCOMPARE(m_window->grid()->columnWidth(1), 222);
        QVERIFY(messages.shown().isEmpty());
    }

    // Pictures stay with the row they belong to.
    void pasteGivesANewRowWithoutPictures()
    {
        MessageRecorder messages;
        m_db->exec("ALTER TABLE 常用数据 ADD COLUMN 标志 LONGBINARY;\n"
                   "UPDATE 常用数据 SET 标志 = x'89504E47', 电话 = NULL WHERE ID = 2;");
        openWindow();
        QSignalSpy copied(m_window.get(), &TChildForm::rowCopied);
        table()->setCurrentRow(1);
        m_window->CopyRow();
        QCOMPARE(copied.size(), 1);
        m_window->PasteRow();
        QCOMPARE(stored("SELECT ID || '|' || 单位名称 || '|' || 地址 || '|' || ifnull(电话, '-') "
                        "|| '|' || 联系人 || '|' || ifnull(标志, '-') FROM 常用数据 WHERE ID = 4"),
                 QString("4|上海东方物资公司|上海市浦东新区世纪大道100号|-|李主任|-"));
        QCOMPARE(table()->rowCount(), 4);
        QCOMPARE(table()->currentRow(), 0); // the table read afresh
        QVERIFY(messages.shown().isEmpty());
    }

    void copyWithoutRowsAndPasteWithoutCopyDoNothing()
    {
        MessageRecorder messages;
        m_db->exec("DELETE FROM 常用数据");
        openWindow();
        QSignalSpy copied(m_window.get(), &TChildForm::rowCopied);
        m_window->CopyRow();
        m_window->PasteRow();
        QCOMPARE(copied.size(), 0);
        QCOMPARE(stored("SELECT count(*) FROM 常用数据"), QString("0"));
        QVERIFY(messages.shown().isEmpty());
    }

    void deleteAsksFirst_data()
    {
        QTest::addColumn<bool>("answer");
        QTest::addColumn<QString>("left");
        QTest::newRow("OK") << true << "1,3";
        QTest::newRow("Cancel") << false << "1,2,3";
    }
    void deleteAsksFirst()
    {
        QFETCH(bool, answer);
        QFETCH(QString, left);
        MessageRecorder messages(answer);
        openWindow();
        table()->setCurrentRow(1);
        m_window->DeleteRow();
        QCOMPARE(messages.texts(), QStringList{"确定删除此单位信息吗？"});
        QCOMPARE(messages.shown()[0].kind, Messages::Kind::OkCancel);
        QCOMPARE(stored("SELECT group_concat(ID, ',') FROM 常用数据"), left);
    }

    void deleteWithoutRowsSaysSoInChinese()
    {
        MessageRecorder messages;
        m_db->exec("DELETE FROM 常用数据");
        openWindow();
        m_window->DeleteRow();
        QCOMPARE(messages.texts(), QStringList{"没有可以删除的单位信息。"});
        QCOMPARE(messages.shown()[0].kind, Messages::Kind::Information);
    }

    // Enter keeps the cell here, in the grid and in the cell editor alike.
    void enterStaysInTheCell()
    {
        MessageRecorder messages;
        openWindow();
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        RecordGrid *grid = m_window->grid();
        grid->setFocus();
        grid->setCurrentIndex(grid->model()->index(0, 3));
        QTest::keyClick(grid, Qt::Key_Return);
        QCOMPARE(grid->currentIndex(), grid->model()->index(0, 3));
        QTest::keyClicks(grid, "9");
        QWidget *editor = QApplication::focusWidget();
        QVERIFY(qobject_cast<QLineEdit *>(editor));
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_VERIFY(table()->isModified()); // the editor hands its text over queued
        QCOMPARE(grid->currentIndex(), grid->model()->index(0, 3));
        m_window->PostPendingEdits();
        QCOMPARE(stored("SELECT 电话 FROM 常用数据 WHERE ID = 1"), QString("9"));
        QVERIFY(messages.shown().isEmpty());
    }

    void aTitleClickSortsTheRows()
    {
        openWindow();
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        QHeaderView *header = m_window->grid()->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(4) + 5, 5));
        // 联系人 in code-point order: 李 (674E), 王 (738B), 陈 (9648).
        QStringList names;
        for (int r = 0; r < table()->rowCount(); ++r)
            names << table()->value(r, 4).toString();
        QCOMPARE(names, (QStringList{"李主任", "王经理", "陈先生"}));
    }
};

QTEST_MAIN(TestCommonData)
#include "tst_commondata.moc"
