#include "support/MessageRecorder.h"
#include "support/RecordWindowFixture.h"

#include "records/TDFindForm.h"
#include "records/TmakeNote.h"
#include "store/DataSet.h"
#include "store/SqlHelpers.h"
#include "widgets/RecordGrid.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <functional>

// F2 in the record window of the demo waybill (快递运单: 单号, 收货单位, 地址, 金额; detail rows
// 品名, 数量, 单价) over the demo common data (ID, 单位名称, 地址, 电话, 联系人: 北京华联,
// 上海东方, 广州南方), driven through the grids and the find window as a user would.
class TestPickUp : public QObject, private RecordWindowFixture {
    Q_OBJECT

    bool m_windowShown = false;

    QString stored(const QString &sql) const { return GetSqlValue(m_db->db(), sql); }

    // Arms what the user does in the find window; a window left open is cancelled.
    void inFindWindow(const std::function<void(TDFindForm *)> &steps)
    {
        m_windowShown = false;
        QTimer::singleShot(0, [this, steps] {
            auto *form = qobject_cast<TDFindForm *>(QApplication::activeModalWidget());
            if (!form)
                return;
            m_windowShown = true;
            steps(form);
            if (form->isVisible())
                form->reject();
        });
    }
    static void take(TDFindForm *form, const QString &typed, int column)
    {
        form->findChild<QLineEdit *>("edtFind")->insert(typed);
        RecordGrid *list = form->grid();
        const QModelIndex cell = list->model()->index(list->currentIndex().row(), column);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(cell).center());
        QTest::mouseClick(form->findChild<QPushButton *>("OKBtn"), Qt::LeftButton);
    }
    static void pressF2At(RecordGrid *grid, int row, int column)
    {
        grid->setFocus();
        grid->setCurrentIndex(grid->model()->index(row, column));
        QTest::keyClick(grid, Qt::Key_F2);
    }

private Q_SLOTS:
    void init()
    {
        startDatabase();
        open("A01", "快递运单");
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }
    void cleanup() { closeAll(); }

    // The address of 上海东方, the list's third column, goes into the consignee cell of the
    // first waybill, and is stored once the row is left.
    void aValueFromTheThirdColumnIsStoredWhenTheRowIsLeft()
    {
        MessageRecorder messages;
        RecordGrid *grid = m_window->mainGrid();
        DataSet *records = m_window->mainDataSet();
        inFindWindow([](TDFindForm *form) { take(form, "上海", 2); });
        pressF2At(grid, 0, 2);
        QVERIFY(m_windowShown);
        QCOMPARE(records->state(), DataSet::State::Edit);
        QCOMPARE(grid->model()->index(0, 2).data().toString(),
                 QString("上海市浦东新区世纪大道100号"));
        QCOMPARE(stored("SELECT 收货单位 FROM 快递运单 WHERE ID = 1"),
                 QString("北京华联商贸有限公司"));
        QTest::keyClick(grid, Qt::Key_Down);
        QCOMPARE(records->state(), DataSet::State::Browse);
        QCOMPARE(stored("SELECT 收货单位 FROM 快递运单 WHERE ID = 1"),
                 QString("上海市浦东新区世纪大道100号"));
        QVERIFY(messages.shown().isEmpty());
    }

    void f2OnTheIdColumnDoesNothing()
    {
        inFindWindow([](TDFindForm *form) { take(form, "上海", 1); });
        pressF2At(m_window->mainGrid(), 0, 0);
        QVERIFY(!m_windowShown);
        QTest::qWait(0); // the armed step finds no window and does nothing
        QCOMPARE(m_window->mainDataSet()->state(), DataSet::State::Browse);
    }

    // The detail grid's first columns are its hidden ID and MID.
    void f2InTheDetailGridWritesIntoTheDetailRow()
    {
        MessageRecorder messages;
        RecordGrid *detail = m_window->detailGrid();
        inFindWindow([](TDFindForm *form) { take(form, "广州", 1); });
        pressF2At(detail, 1, 2);
        QVERIFY(m_windowShown);
        QCOMPARE(m_window->detailDataSet()->state(), DataSet::State::Edit);
        QTest::keyClick(detail, Qt::Key_Up);
        QCOMPARE(stored("SELECT group_concat(品名, ',') FROM 快递运单sub WHERE MID = 1"),
                 QString("办公椅,广州南方电器厂"));
        QCOMPARE(stored("SELECT 收货单位 FROM 快递运单 WHERE ID = 1"),
                 QString("北京华联商贸有限公司"));
        QVERIFY(messages.shown().isEmpty());
    }

    void nothingTakenLeavesTheCell_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("cancel after selecting a cell") << "cancel";
        QTest::newRow("an empty cell taken") << "empty";
    }
    void nothingTakenLeavesTheCell()
    {
        QFETCH(QString, how);
        MessageRecorder messages;
        m_db->exec("UPDATE 常用数据 SET 电话 = NULL WHERE 单位名称 LIKE '上海%'");
        inFindWindow([how](TDFindForm *form) {
            if (how == "empty") {
                take(form, "上海", 3);
                return;
            }
            form->grid()->setCurrentIndex(form->grid()->model()->index(2, 1));
            QTest::mouseClick(form->findChild<QPushButton *>("CancelBtn"), Qt::LeftButton);
        });
        pressF2At(m_window->mainGrid(), 0, 2);
        QVERIFY(m_windowShown);
        QCOMPARE(m_window->mainDataSet()->state(), DataSet::State::Browse);
        QCOMPARE(m_window->mainGrid()->model()->index(0, 2).data().toString(),
                 QString("北京华联商贸有限公司"));
        QVERIFY(messages.shown().isEmpty());
    }

    // A value its column cannot take leaves the cell as it was and says which column refused
    // which value.
    void aRefusedValueIsToldAndLeavesTheCell_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("was");
        QTest::addColumn<QString>("told");
        QTest::newRow("text into money") << 4 << "￥1234.50"
                                         << "“北京华联商贸有限公司”不是栏目“金额”能接受的值";
        QTest::newRow("too long for the number")
            << 1 << "YD20260001"
            << "“北京华联商贸有限公司北京华联商贸有限公司北京华联商贸有限公司”太长：栏目“单号”最多"
               "只能有20个字符";
    }
    void aRefusedValueIsToldAndLeavesTheCell()
    {
        QFETCH(int, column);
        QFETCH(QString, was);
        QFETCH(QString, told);
        MessageRecorder messages;
        if (column == 1)
            m_db->exec(
                "UPDATE 常用数据 SET 单位名称 = 单位名称 || 单位名称 || 单位名称 WHERE ID = 1");
        inFindWindow([](TDFindForm *form) { take(form, "", 1); });
        pressF2At(m_window->mainGrid(), 0, column);
        QCOMPARE(messages.texts(), QStringList{told});
        QCOMPARE(m_window->mainGrid()->model()->index(0, column).data().toString(), was);
        QTest::keyClick(m_window->mainGrid(), Qt::Key_Down);
        QCOMPARE(stored("SELECT 单号 || '|' || 金额 FROM 快递运单 WHERE ID = 1"),
                 QString("YD20260001|1234.5"));
    }

    // F2 in a cell being typed: what was typed is kept first, then the value taken replaces
    // it; the editor's older text does not come back over it.
    void f2WhileTypingTakesTheValue()
    {
        MessageRecorder messages;
        RecordGrid *grid = m_window->mainGrid();
        grid->setFocus();
        grid->setCurrentIndex(grid->model()->index(0, 3));
        QTest::keyClicks(grid, "abc");
        QWidget *editor = QApplication::focusWidget();
        QVERIFY(qobject_cast<QLineEdit *>(editor));
        inFindWindow([](TDFindForm *form) { take(form, "广州", 2); });
        QTest::keyClick(editor, Qt::Key_F2);
        QVERIFY(m_windowShown);
        QTest::keyClick(grid, Qt::Key_Down);
        QCOMPARE(stored("SELECT 地址 FROM 快递运单 WHERE ID = 1"),
                 QString("广州市天河区体育西路6号"));
        QVERIFY(messages.shown().isEmpty());
    }

    void aMissingTableIsToldAndTouchesNothing()
    {
        MessageRecorder messages;
        m_db->exec("DROP TABLE 常用数据");
        pressF2At(m_window->mainGrid(), 0, 2);
        QCOMPARE(messages.texts(), QStringList{"数据表“常用数据”不存在"});
        QCOMPARE(m_window->mainDataSet()->state(), DataSet::State::Browse);
    }
};

QTEST_MAIN(TestPickUp)
#include "tst_pickup.moc"
