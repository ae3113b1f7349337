#include "support/MessageRecorder.h"
#include "support/TestDatabase.h"

#include "records/TDFindForm.h"
#include "records/TdsFindDialog.h"
#include "store/DataSet.h"
#include "store/IniFile.h"
#include "store/ProgramFolder.h"
#include "widgets/RecordGrid.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <functional>

// The find window over small lists: 代码表 with the codes A001, A100 and B200 (no C anywhere)
// and two rows without a code, 号码表 of three columns, a list of one column.
class TestFindDialog : public QObject {
    Q_OBJECT

    std::unique_ptr<TestDatabase> m_db;

    // Runs the find window over the rows; what the user does happens once it is shown, and a
    // window the steps left open is cancelled so that a failing step cannot hang the test.
    bool execute(DataSet &rows, const std::function<void(TDFindForm *)> &steps,
                 QString *found = nullptr)
    {
        QTimer::singleShot(0, [&] {
            auto *form = qobject_cast<TDFindForm *>(QApplication::activeModalWidget());
            if (!form)
                return;
            steps(form);
            if (form->isVisible())
                form->reject();
        });
        TdsFindDialog dialog;
        dialog.setDataSet(&rows);
        const bool taken = dialog.Execute();
        if (found)
            *found = dialog.FoundValue();
        return taken;
    }
    static QLineEdit *findBox(TDFindForm *form) { return form->findChild<QLineEdit *>("edtFind"); }
    static void press(TDFindForm *form, const char *button)
    {
        QTest::mouseClick(form->findChild<QPushButton *>(button), Qt::LeftButton);
    }
    static void clickCell(TDFindForm *form, int row, int column)
    {
        RecordGrid *grid = form->grid();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                          grid->visualRect(grid->model()->index(row, column)).center());
    }
    static QString code(const DataSet &rows) { return rows.fieldValue(0).toString(); }

private Q_SLOTS:
    void init()
    {
        m_db = std::make_unique<TestDatabase>(TestDatabase::Empty);
        m_db->exec("CREATE TABLE 代码表 (代码 Text (10), 名称 Text (20));\n"
                   "INSERT INTO 代码表 VALUES ('A001', '钢笔'), ('A100', '铅笔'), "
                   "('B200', '橡皮'), (NULL, 'xyZ 公司');\n"
                   "CREATE TABLE 号码表 (ID INTEGER PRIMARY KEY AUTOINCREMENT, 名称 Text (20), "
                   "电话 Text (20));\n"
                   "INSERT INTO 号码表 (名称, 电话) VALUES ('东方公司', '021-5880'), "
                   "('南方公司', NULL);\n"
                   "CREATE TABLE 单列表 (代码 Text (10));\n"
                   "INSERT INTO 单列表 VALUES (NULL), ('K7');\n"
                   "CREATE TABLE 空表 (代码 Text (10), 名称 Text (20));");
    }
    void cleanup() { m_db.reset(); }

    void typingMovesToTheCode()
    {
        MessageRecorder messages;
        DataSet rows;
        m_db->open(rows, "代码表");
        TDFindForm form(&rows);
        QCOMPARE(form.windowTitle(), QString("查找"));
        QCOMPARE(form.size(), QSize(470, 426));
        QTest::keyClicks(findBox(&form), "A1");
        QCOMPARE(code(rows), QString("A100"));
        QCOMPARE(form.grid()->currentIndex().row(), 1);
        findBox(&form)->setText("C");
        QCOMPARE(code(rows), QString("A100"));
        findBox(&form)->clear();
        QCOMPARE(code(rows), QString("A100"));
        QVERIFY(messages.shown().isEmpty());
    }

    void anEmptyCodeSwitchesToTheSecondColumn()
    {
        DataSet rows;
        m_db->open(rows, "代码表");
        rows.setCurrentRow(3);
        TDFindForm form(&rows);
        QTest::keyClicks(findBox(&form), "XYZ");
        QCOMPARE(rows.currentRow(), 3);
        findBox(&form)->setText("橡"); // in no name's start: found inside
        QCOMPARE(code(rows), QString("B200"));
    }

    void aMissingCodeColumnIsTold()
    {
        MessageRecorder messages;
        DataSet rows;
        m_db->open(rows, "单列表");
        TDFindForm form(&rows);
        QTest::keyClicks(findBox(&form), "K");
        QCOMPARE(rows.currentRow(), 0);
        QCOMPARE(messages.texts(), QStringList{"查找代码出错"});
        QCOMPARE(messages.shown()[0].title, QString("查找"));
    }

    void okOnAnEmptyListTakesNothing()
    {
        MessageRecorder messages;
        DataSet rows;
        m_db->open(rows, "空表");
        QString found = "unchanged";
        QVERIFY(!execute(
            rows, [](TDFindForm *form) { press(form, "OKBtn"); }, &found));
        QCOMPARE(found, QString());
        QCOMPARE(messages.texts(), QStringList{"请选择查找编码"});
        QCOMPARE(messages.shown()[0].title, QString("查找"));
    }

    void waysOfClosing_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("taken");
        QTest::newRow("OK") << "ok" << true;
        QTest::newRow("Enter in the find box") << "enter" << true;
        QTest::newRow("Cancel") << "cancel" << false;
        QTest::newRow("Esc") << "escape" << false;
        QTest::newRow("title-bar close") << "close" << false;
    }
    // The third column of the second row is selected, then the window closes.
    void waysOfClosing()
    {
        QFETCH(QString, how);
        QFETCH(bool, taken);
        MessageRecorder messages;
        DataSet rows;
        m_db->open(rows, "号码表");
        QString found;
        const bool result = execute(
            rows,
            [how](TDFindForm *form) {
                clickCell(form, 0, 2);
                if (how == "ok")
                    press(form, "OKBtn");
                else if (how == "enter")
                    QTest::keyClick(findBox(form), Qt::Key_Return);
                else if (how == "cancel")
                    press(form, "CancelBtn");
                else if (how == "escape")
                    QTest::keyClick(form->grid(), Qt::Key_Escape);
                else
                    form->close();
            },
            &found);
        QCOMPARE(result, taken);
        QCOMPARE(found, taken ? QString("021-5880") : QString());
        QVERIFY(messages.shown().isEmpty());
    }

    void theCellTakenIsTheOneSelected_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("found");
        QTest::newRow("opened on the first name") << "" << -1 << "东方公司";
        QTest::newRow("the counter") << "" << 0 << "1";
        QTest::newRow("found by name, third column") << "南方" << 2 << "";
        QTest::newRow("found by number, second column") << "2" << 1 << "南方公司";
    }
    void theCellTakenIsTheOneSelected()
    {
        QFETCH(QString, typed);
        QFETCH(int, column);
        QFETCH(QString, found);
        DataSet rows;
        m_db->open(rows, "号码表");
        QString value = "unchanged";
        QVERIFY(execute(
            rows,
            [&](TDFindForm *form) {
                findBox(form)->insert(typed); // typed at once: QTest types ASCII only
                if (column >= 0)
                    form->grid()->setCurrentIndex(
                        form->grid()->model()->index(rows.currentRow(), column));
                press(form, "OKBtn");
            },
            &value));
        QCOMPARE(value, found);
    }

    // One section for every list: a width set over one list is the width over the next.
    void widthsAreKeptAcrossUses()
    {
        DataSet codes;
        m_db->open(codes, "代码表");
        DataSet numbers;
        m_db->open(numbers, "号码表");
        int opened = -1;
        execute(codes, [&](TDFindForm *form) {
            opened = form->grid()->columnWidth(1);
            form->grid()->setColumnWidth(1, 77);
            press(form, "CancelBtn");
        });
        QCOMPARE(opened, RecordGrid::DefaultColumnWidth);
        QCOMPARE(IniFile(ProgramFolder::settingsPath()).readInteger("dsFndlg", "1", -1), 77);
        execute(numbers, [&](TDFindForm *form) {
            opened = form->grid()->columnWidth(1);
            form->grid()->setColumnWidth(2, 60);
            press(form, "OKBtn");
        });
        QCOMPARE(opened, 77);
        execute(codes, [&](TDFindForm *form) {
            opened = form->grid()->columnWidth(0);
            press(form, "CancelBtn");
        });
        QCOMPARE(opened, RecordGrid::DefaultColumnWidth);
        IniFile written(ProgramFolder::settingsPath());
        QCOMPARE(written.readInteger("dsFndlg", "2", -1), 60);
        QCOMPARE(written.readInteger("dsFndlg", "1", -1), 77);
    }

    void aTitleClickSortsTheList()
    {
        DataSet rows;
        m_db->open(rows, "代码表");
        QString found;
        QVERIFY(execute(
            rows,
            [](TDFindForm *form) {
                QHeaderView *header = form->grid()->horizontalHeader();
                const QPoint title(header->sectionViewportPosition(0) + 5, 5);
                QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, title);
                QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, title); // descending
                form->grid()->setCurrentIndex(form->grid()->model()->index(0, 0));
                press(form, "OKBtn");
            },
            &found));
        QCOMPARE(found, QString("B200"));
    }

    void noRowsNoWindow()
    {
        TdsFindDialog dialog;
        QVERIFY(!dialog.Execute());
        QVERIFY(!QApplication::activeModalWidget());
    }

    void theListTakesNoTyping()
    {
        DataSet rows;
        m_db->open(rows, "号码表");
        TDFindForm form(&rows);
        form.show();
        form.grid()->setFocus();
        QTest::keyClicks(form.grid(), "Z");
        QTest::keyClick(form.grid(), Qt::Key_F2);
        QTest::keyClick(form.grid(), Qt::Key_Down);
        QTest::keyClick(form.grid(), Qt::Key_Down);
        QCOMPARE(rows.state(), DataSet::State::Browse);
        QCOMPARE(rows.rowCount(), 2);
        QVERIFY(!form.grid()->findChild<QLineEdit *>());
    }
};

QTEST_MAIN(TestFindDialog)
#include "tst_finddialog.moc"
