#include "support/FileSizeLimit.h"
#include "support/MessageRecorder.h"
#include "support/RecordWindowFixture.h"

#include "records/FilterControls.h"
#include "records/TmakeNote.h"
#include "store/Currency.h"
#include "store/DataSet.h"
#include "store/DataSetModel.h"
#include "store/IniFile.h"
#include "store/ProgramFolder.h"
#include "store/SqlHelpers.h"
#include "store/StoreError.h"
#include "widgets/GridFooter.h"
#include "widgets/RecordGrid.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

// The record window driven through its widgets over the demo kinds: 快递运单 (A01, 4 records,
// the third printed, detail table) and 收款收据 (A02, text defaults 货款 and 张会计).
class TestRecordWindow : public QObject, private RecordWindowFixture {
    Q_OBJECT

    template <typename T> T *child(const char *name) const
    {
        T *w = m_window->findChild<T *>(name);
        if (!w)
            qFatal("no widget %s", name);
        return w;
    }
    QStringList column(const QString &name) const
    {
        DataSet *ds = m_window->mainDataSet();
        QStringList values;
        for (int r = 0; r < ds->rowCount(); ++r)
            values << ds->value(r, ds->columnIndex(name)).toString();
        return values;
    }
    // Fixed fill dates so that date bounds can be stated: see each row's comment.
    void setFillDates()
    {
        m_db->exec(
            "UPDATE 快递运单 SET 填写日期 = '2026-12-09 18:00:00' WHERE ID = 1;\n" // end day,
                                                                                   // evening
            "UPDATE 快递运单 SET 填写日期 = '2026-12-02 00:00:00' WHERE ID = 2;\n" // start day
            "UPDATE 快递运单 SET 填写日期 = '2026-12-05 00:00:00' WHERE ID = 3;\n" // printed
            "UPDATE 快递运单 SET 填写日期 = '2026-12-10 00:00:00' WHERE ID = 4;\n" // after the end
            "UPDATE 快递运单 SET 收货单位 = 'O''Brien 贸易' WHERE ID = 2;");
    }

private Q_SLOTS:
    void init() { startDatabase(); }
    void cleanup() { closeAll(); }

    void filterTexts_data()
    {
        QTest::addColumn<QString>("keyword");
        QTest::addColumn<bool>("startOn");
        QTest::addColumn<bool>("endOn");
        QTest::addColumn<int>("print");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("numbers");
        const QStringList all{"YD20260001", "YD20260002", "YD20260003", "YD20260004"};
        QTest::newRow("nothing, any") << "" << false << false << 2 << "" << all;
        QTest::newRow("nothing, printed")
            << "" << false << false << 1 << " 打印标记=-1" << QStringList{"YD20260003"};
        QTest::newRow("nothing, unprinted")
            << "" << false << false << 0 << "打印标记=0"
            << QStringList{"YD20260001", "YD20260002", "YD20260004"};
        QTest::newRow("keyword trimmed")
            << "  成都 " << false << false << 2
            << " (单号 like '*成都*' or 收货单位 like '*成都*' or 地址 like '*成都*') "
            << QStringList{"YD20260004"};
        QTest::newRow("spaces only") << "   " << false << false << 0 << "打印标记=0"
                                     << QStringList{"YD20260001", "YD20260002", "YD20260004"};
        QTest::newRow("only end") << "" << false << true << 2
                                  << " 填写日期 <= '2026-12-09 23:59:59'"
                                  << QStringList{"YD20260001", "YD20260002", "YD20260003"};
        QTest::newRow("only start")
            << "" << true << false << 2 << " 填写日期 >= '2026/12/2'" << all;
        QTest::newRow("everything") << "00" << true << true << 0
                                    << " (单号 like '*00*' or 收货单位 like '*00*' or 地址 like "
                                       "'*00*')  and  填写日期 >= '2026/12/2' and "
                                       "填写日期 <= '2026-12-09 23:59:59' and 打印标记=0"
                                    << QStringList{"YD20260001", "YD20260002"};
        QTest::newRow("quote searched as typed")
            << "O'Brien" << false << false << 2
            << " (单号 like '*O''Brien*' or 收货单位 like '*O''Brien*' or 地址 like '*O''Brien*') "
            << QStringList{"YD20260002"};
    }
    void filterTexts()
    {
        QFETCH(QString, keyword);
        QFETCH(bool, startOn);
        QFETCH(bool, endOn);
        QFETCH(int, print);
        QFETCH(QString, filter);
        QFETCH(QStringList, numbers);
        setFillDates();
        MessageRecorder messages;
        open("A01", "快递运单");
        auto *start = child<CheckedDateEdit>("datebegin");
        auto *end = child<CheckedDateEdit>("dateEnd");
        start->setDate(QDate(2026, 12, 2));
        end->setDate(QDate(2026, 12, 9));
        start->setChecked(startOn);
        end->setChecked(endOn);
        child<RadioGroup>("rgPrint")->setItemIndex(print);
        child<QLineEdit>("edtKeyWord")->setText(keyword);
        QTest::mouseClick(child<QPushButton>("btnSearch"), Qt::LeftButton);
        QCOMPARE(m_window->mainDataSet()->filter(), filter);
        QCOMPARE(column("单号"), numbers);
        QVERIFY(messages.shown().isEmpty());
    }

    void searchRunsOnDatesAndPrintStateNotOnTyping()
    {
        open("A01", "快递运单");
        DataSet *ds = m_window->mainDataSet();
        QCOMPARE(ds->filter(), QString("打印标记=0")); // before any search, whatever the dates say
        child<QLineEdit>("edtKeyWord")->setText("华联");
        QCOMPARE(ds->filter(), QString("打印标记=0"));
        child<CheckedDateEdit>("datebegin")->setChecked(false);
        QVERIFY(ds->filter().contains("华联"));
        QVERIFY(!ds->filter().contains(">="));
        child<RadioGroup>("rgPrint")->setItemIndex(2);
        QVERIFY(!ds->filter().contains("打印标记"));
        // The same search again keeps the current record.
        child<QLineEdit>("edtKeyWord")->clear();
        child<RadioGroup>("rgPrint")->setItemIndex(0);
        QCOMPARE(ds->rowCount(), 3);
        ds->setCurrentRow(2);
        const QString before = ds->filter();
        QTest::mouseClick(child<QPushButton>("btnSearch"), Qt::LeftButton);
        QCOMPARE(ds->filter(), before);
        QCOMPARE(ds->currentRow(), 2);
    }

    void keywordWithoutTextColumns()
    {
        m_db->exec("CREATE TABLE 数字单 (ID INTEGER PRIMARY KEY AUTOINCREMENT, 数量 Long, 打印标记 "
                   "yesno NOT NULL DEFAULT 0, 填写日期 Time);\n"
                   "INSERT INTO 数字单 (数量) VALUES (5);");
        open("Z01", "数字单");
        child<CheckedDateEdit>("datebegin")->setChecked(false);
        child<CheckedDateEdit>("dateEnd")->setChecked(false);
        child<QLineEdit>("edtKeyWord")->setText("abc");
        QTest::mouseClick(child<QPushButton>("btnSearch"), Qt::LeftButton);
        QCOMPARE(m_window->mainDataSet()->filter(), QString("打印标记=0"));
        QCOMPARE(m_window->mainDataSet()->rowCount(), 1);
    }

    void footersFollowRowsInView()
    {
        open("A01", "快递运单");
        GridFooter *footer = m_window->mainFooter();
        QTRY_COMPARE(footer->texts().value(0), QString("3"));
        const int money = m_window->mainDataSet()->columnIndex("金额");
        QCOMPARE(footer->texts()[money], QString("￥2414.75")); // 1234.5 + 860 + 320.25
        QCOMPARE(m_window->mainGrid()->model()->index(0, money).data().toString(),
                 QString("￥1234.50"));
        child<RadioGroup>("rgPrint")->setItemIndex(2);
        child<CheckedDateEdit>("datebegin")->setChecked(false);
        QTRY_COMPARE(footer->texts()[0], QString("4"));
        QCOMPARE(footer->texts()[money], QString("￥2460.55"));

        GridFooter *detail = m_window->detailFooter();
        DataSet *sub = m_window->detailDataSet();
        m_window->mainDataSet()->setCurrentRow(0);
        QTRY_COMPARE(detail->texts().value(sub->columnIndex("单价")), QString("￥884.50"));
        QCOMPARE(detail->texts()[sub->columnIndex("数量")], QString("3"));
        QCOMPARE(detail->texts()[0], QString("2")); // under the hidden ID: the count, not a sum
        QVERIFY(m_window->detailGrid()->isColumnHidden(0));
        QVERIFY(m_window->detailGrid()->isColumnHidden(sub->columnIndex("MID")));
        QVERIFY(!m_window->mainGrid()->isColumnHidden(0));
    }

    void widthsAndCopiesInSettings()
    {
        MessageRecorder messages;
        open("A01", "快递运单");
        QCOMPARE(child<QLineEdit>("edtCopies")->text(), QString("2")); // no settings file yet
        QCOMPARE(m_window->mainGrid()->columnWidth(2), 150);
        IniFile ini(ProgramFolder::settingsPath());
        ini.writeInteger("A01", "2", 61);
        ini.writeInteger("A01sub", "2", 33);
        open("A01", "快递运单");
        QCOMPARE(m_window->mainGrid()->columnWidth(2), 61);
        QCOMPARE(m_window->mainGrid()->columnWidth(1), 150);
        QCOMPARE(m_window->detailGrid()->columnWidth(2), 33);
        QCOMPARE(child<QLineEdit>("edtCopies")->text(), QString("1")); // file without "copies"

        auto *copies = child<QLineEdit>("edtCopies");
        copies->clear();
        QCOMPARE(messages.texts(), QStringList{"'' is not a valid integer value"});
        QVERIFY_THROWS_EXCEPTION(StoreError, m_window->SaveLayout());
        QTest::keyClicks(copies, "3");
        QCOMPARE(ini.readInteger("Option", "copies", -1), 3);
        QCOMPARE(messages.shown().size(), 1);
        m_window->mainGrid()->setColumnWidth(1, 99);
        m_window->SaveLayout();
        QCOMPARE(ini.readInteger("A01", "1", -1), 99);
        QCOMPARE(ini.readInteger("A01", "6", -1), 150); // hidden or not, every column is written
    }

    void newRecordDefaultsAndFillDate()
    {
        open("A02", "收款收据");
        DataSet *ds = m_window->mainDataSet();
        ds->append();
        QCOMPARE(ds->fieldValue("收款事由").toString(), QString("货款"));
        QCOMPARE(ds->fieldValue("收款人").toString(), QString("张会计"));
        QCOMPARE(ds->fieldValue("交款单位"), QVariant());
        QCOMPARE(ds->fieldValue("填写日期").toDateTime().date(), QDate::currentDate());
        QCOMPARE(ds->fieldValue("填写日期").toDateTime().time(), QTime(0, 0));
        ds->setFieldValue("交款单位", "新客户");
        ds->post();
        QCOMPARE(GetSqlValue(m_db->db(), "SELECT 打印标记 || ',' || 收款人 || ',' || 填写日期 FROM "
                                         "收款收据 WHERE 交款单位 = '新客户'"),
                 QString("0,张会计,%1 00:00:00").arg(QDate::currentDate().toString("yyyy-MM-dd")));
        ds->reopen();
        QVERIFY(column("交款单位").contains("新客户")); // still in view under 未打印
    }

    void detailRowNeedsStoredRecord()
    {
        open("A01", "快递运单");
        DataSet *main = m_window->mainDataSet();
        DataSet *sub = m_window->detailDataSet();
        main->append();
        sub->append();
        QCOMPARE(sub->rowCount(), 0);
        QCOMPARE(sub->state(), DataSet::State::Browse);
        main->setFieldValue("单号", "YD20269999");
        main->post();
        sub->append();
        QCOMPARE(sub->state(), DataSet::State::Insert);
        sub->setFieldValue("品名", "纸箱");
        sub->post();
        QCOMPARE(GetSqlValue(m_db->db(), "SELECT MID FROM 快递运单sub WHERE 品名 = '纸箱'"),
                 GetSqlValue(m_db->db(), "SELECT ID FROM 快递运单 WHERE 单号 = 'YD20269999'"));
    }

    void deleteAskAndKeepDetailRows()
    {
        MessageRecorder messages(false);
        open("A01", "快递运单");
        m_window->DeleteRow();
        QCOMPARE(messages.texts(), QStringList{"确定删除吗？"});
        QCOMPARE(messages.shown()[0].kind, Messages::Kind::OkCancel);
        QCOMPARE(m_window->mainDataSet()->rowCount(), 3);
        messages.setAnswer(true);
        m_window->DeleteRow();
        QCOMPARE(column("单号"), QStringList({"YD20260002", "YD20260004"}));
        QCOMPARE(GetSqlValue(m_db->db(), "SELECT count(*) FROM 快递运单sub WHERE MID = 1"),
                 QString("2"));
    }

    void clearAllDeletesRowsInViewOnly()
    {
        MessageRecorder messages;
        open("A01", "快递运单");
        m_window->ClearAll();
        QCOMPARE(messages.texts(), QStringList{"确定删除全部记录吗？"});
        QCOMPARE(m_window->mainDataSet()->rowCount(), 0);
        QCOMPARE(GetSqlValue(m_db->db(), "SELECT group_concat(单号) FROM 快递运单"),
                 QString("YD20260003"));
        QCOMPARE(GetSqlValue(m_db->db(), "SELECT count(*) FROM 快递运单sub"), QString("5"));
    }

    void copyAndPastePrintedRecord()
    {
        open("A01", "快递运单");
        child<CheckedDateEdit>("datebegin")->setChecked(false); // the printed one is 10 days old
        child<RadioGroup>("rgPrint")->setItemIndex(2);
        DataSet *ds = m_window->mainDataSet();
        QVERIFY(ds->locate("单号", "YD20260003"));
        QSignalSpy copied(m_window.get(), &TChildForm::rowCopied);
        m_window->CopyRow();
        QCOMPARE(copied.size(), 1);
        m_window->PasteRow();
        QCOMPARE(ds->rowCount(), 5);
        QCOMPARE(ds->currentRow(), 0);
        const QString pasted = GetSqlValue(
            m_db->db(),
            "SELECT ID || ',' || 收货单位 || ',' || 金额 || ',' || 打印标记 || ',' || 填写日期 "
            "FROM 快递运单 WHERE 单号 = 'YD20260003' AND ID <> 3");
        QCOMPARE(pasted, QString("5,广州南方电器厂,45.8,0,%1 00:00:00")
                             .arg(QDate::currentDate().toString("yyyy-MM-dd")));
    }

    void copyWithNoRecordInViewDoesNothing()
    {
        open("A01", "快递运单");
        m_window->mainDataSet()->setFilter("打印标记=0 and 金额 > 1000000");
        QSignalSpy copied(m_window.get(), &TChildForm::rowCopied);
        m_window->CopyRow();
        QCOMPARE(copied.size(), 0);
        m_window->PasteRow(); // an empty copy buffer: nothing happens
        QCOMPARE(GetSqlValue(m_db->db(), "SELECT count(*) FROM 快递运单"), QString("4"));
    }

    void enterMovesLikeTabAndDownAddsARow()
    {
        open("A01", "快递运单");
        m_window->show();
        RecordGrid *grid = m_window->mainGrid();
        grid->setFocus();
        const int last = m_window->mainDataSet()->rowCount() - 1;
        grid->setCurrentIndex(grid->model()->index(last, 1));
        QTest::keyClick(grid, Qt::Key_Return);
        QCOMPARE(grid->currentIndex().column(), 2);
        QCOMPARE(grid->currentIndex().row(), last);
        QTest::keyClick(grid, Qt::Key_Down);
        QCOMPARE(m_window->mainDataSet()->state(), DataSet::State::Insert);
        QCOMPARE(grid->model()->rowCount(), last + 2);
        QTest::keyClick(grid, Qt::Key_Up); // left untouched, the new row goes again
        QCOMPARE(grid->model()->rowCount(), last + 1);
        QCOMPARE(m_window->mainDataSet()->state(), DataSet::State::Browse);
    }

    // Typing a value into a new row, started by typing into an empty grid, by Insert or by
    // Down on the last row: the value lands in the first column that takes text.
    void newRowStartsOnFirstEditableColumn_data()
    {
        QTest::addColumn<bool>("detail");
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("column");
        QTest::newRow("typing into empty record grid") << false << int(Qt::Key_unknown) << "单号";
        QTest::newRow("Insert in record grid") << false << int(Qt::Key_Insert) << "单号";
        QTest::newRow("Down in record grid") << false << int(Qt::Key_Down) << "单号";
        QTest::newRow("Insert in detail grid") << true << int(Qt::Key_Insert) << "品名";
        QTest::newRow("Down in detail grid") << true << int(Qt::Key_Down) << "品名";
    }
    void newRowStartsOnFirstEditableColumn()
    {
        QFETCH(bool, detail);
        QFETCH(int, start);
        QFETCH(QString, column);
        MessageRecorder messages;
        open("A01", "快递运单");
        m_window->show();
        RecordGrid *grid = detail ? m_window->detailGrid() : m_window->mainGrid();
        DataSet *ds = grid->dataSet();
        if (start == Qt::Key_unknown)
            m_window->mainDataSet()->setFilter("打印标记=0 and 金额 > 1000000");
        grid->setFocus();
        const int rows = ds->rowCount();
        if (rows > 0)
            grid->setCurrentIndex(
                grid->model()->index(rows - 1, 0)); // the first column, hidden or not
        if (start != Qt::Key_unknown)
            QTest::keyClick(grid, Qt::Key(start));
        QTest::keyClick(grid, Qt::Key_A);
        auto *editor = grid->findChild<QLineEdit *>();
        QVERIFY(editor);
        QTest::keyClicks(editor, "B9");
        QTest::keyClick(editor, Qt::Key_Return); // the cell's value is handed over queued
        QTRY_COMPARE(ds->fieldValue(column).toString(), QString("aB9"));
        QCOMPARE(ds->state(), DataSet::State::Insert);
        QCOMPARE(ds->currentRow(), rows);
        QVERIFY(messages.shown().isEmpty());
    }

    void titleClickSortsAndSecondClickReverses()
    {
        open("A01", "快递运单");
        m_window->show();
        DataSet *ds = m_window->mainDataSet();
        QHeaderView *header = m_window->mainGrid()->horizontalHeader();
        const int money = ds->columnIndex("金额");
        const QPoint title(header->sectionViewportPosition(money) + 10, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, title);
        QCOMPARE(column("单号"),
                 QStringList({"YD20260004", "YD20260002", "YD20260001"})); // 320.25, 860, 1234.5
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, title);
        QCOMPARE(column("单号"), QStringList({"YD20260001", "YD20260002", "YD20260004"}));
        QCOMPARE(ds->filter(), QString("打印标记=0"));
        // The order holds when the search changes what is in view.
        child<RadioGroup>("rgPrint")->setItemIndex(2);
        child<CheckedDateEdit>("datebegin")->setChecked(false);
        QCOMPARE(column("单号"),
                 QStringList({"YD20260001", "YD20260002", "YD20260004", "YD20260003"}));
    }

    void enterInKeywordBoxSearches()
    {
        open("A01", "快递运单");
        auto *keyword = child<QLineEdit>("edtKeyWord");
        keyword->setText("成都");
        QCOMPARE(m_window->mainDataSet()->filter(), QString("打印标记=0"));
        QTest::keyClick(keyword, Qt::Key_Return);
        QVERIFY(m_window->mainDataSet()->filter().contains("成都"));
        QCOMPARE(column("单号"), QStringList{"YD20260004"});
    }

    // A full disk: the settings file stays as it was, and the user hears of it once.
    void unwritableSettingsAreToldOnce()
    {
        MessageRecorder messages;
        IniFile settings(ProgramFolder::settingsPath());
        settings.writeValues("A01", {{"1", "61"}, {"2", "62"}});
        QFile file(ProgramFolder::settingsPath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray before = file.readAll();
        file.close();
        open("A01", "快递运单");
        m_window->mainGrid()->setColumnWidth(1, 99);
        {
            FileSizeLimit full(8);
            m_window->SaveLayout();
            QTest::keyClicks(child<QLineEdit>("edtCopies"), "5");
            m_window->SaveLayout();
        }
        QCOMPARE(messages.shown().size(), 1);
        QCOMPARE(messages.shown()[0].kind, Messages::Kind::Error);
        QVERIFY(messages.lastText().contains("GridWidth.ini"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);
    }

    void typingRefusedValueKeepsTheRow()
    {
        MessageRecorder messages;
        open("A01", "快递运单");
        QAbstractItemModel *model = m_window->mainGrid()->model();
        const int number = m_window->mainDataSet()->columnIndex("单号");
        const int money = m_window->mainDataSet()->columnIndex("金额");
        QVERIFY(model->setData(model->index(1, number), "改了", Qt::EditRole));
        QVERIFY(!model->setData(model->index(1, money), "十元", Qt::EditRole));
        QCOMPARE(messages.shown().size(), 1);
        QVERIFY(messages.lastText().contains("金额"));
        QCOMPARE(m_window->mainDataSet()->state(), DataSet::State::Edit);
        QCOMPARE(model->index(1, number).data().toString(), QString("改了"));
        QCOMPARE(model->index(1, money).data().toString(), QString("￥860.00"));
    }
};

QTEST_MAIN(TestRecordWindow)
#include "tst_recordwindow.moc"
