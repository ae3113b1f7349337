#include "support/FileDialogAnswers.h"
#include "support/MessageRecorder.h"
#include "support/TestDatabase.h"

#include "shell/StructureGrid.h"
#include "shell/StructureListModel.h"
#include "shell/TStructureDlg.h"
#include "store/SqlHelpers.h"
#include "store/Worksheet.h"

#include <QApplication>
#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

namespace {

QStringList listed(const StructureListModel *list)
{
    QStringList lines;
    for (const StructureRow &r : list->rows())
        lines << QString("%1|%2|%3|%4|%5|%6")
                     .arg(r.position)
                     .arg(r.fieldName, r.dataType)
                     .arg(r.size)
                     .arg(r.required)
                     .arg(r.defaultText);
    return lines;
}

QStringList columnsOf(const QSqlDatabase &db, const QString &table)
{
    QStringList names;
    for (const ColumnDef &c : ReadTableColumns(db, table))
        names << c.name + ' ' + c.declaredType;
    return names;
}

void typeRow(StructureListModel *list, const QString &name, const QString &type,
             const QString &size)
{
    const int row = list->rowCount();
    list->insertNewRow(row);
    QVERIFY(list->setData(list->index(row, StructureListModel::FieldName), name, Qt::EditRole));
    QVERIFY(list->setData(list->index(row, StructureListModel::DataType), type, Qt::EditRole));
    QVERIFY(list->setData(list->index(row, StructureListModel::Size), size, Qt::EditRole));
}

StructureRow named(int position, const QString &name)
{
    StructureRow r;
    r.position = position;
    r.fieldName = name;
    return r;
}

void click(TStructureDlg &dialog, const char *button)
{
    dialog.findChild<QPushButton *>(button)->click();
}

} // namespace

class TestStructureDialog : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void layout()
    {
        TestDatabase t;
        TStructureDlg dialog("快递运单");
        QCOMPARE(dialog.windowTitle(), QString("单据栏目"));
        QCOMPARE(dialog.size(), QSize(485, 395));
        const auto *grid = dialog.findChild<StructureGrid *>("FieldsGrid");
        QStringList titles;
        for (int c = 0; c < grid->model()->columnCount(); ++c)
            titles << grid->model()->headerData(c, Qt::Horizontal).toString();
        QCOMPARE(titles, QStringList({"#", "栏目", "数据类型", "大小", "是否必填", "默认值"}));
        QCOMPARE(grid->toolTip(), QString("删除栏目请按Ctrl+Delete"));
        QCOMPARE(dialog.findChild<QPushButton *>("btnExport")->toolTip(),
                 QString("将当前单据结构导出Excel文件"));
        QCOMPARE(dialog.findChild<QPushButton *>("btnImport")->toolTip(),
                 QString("从Excel文件导入单据结构"));
        QCOMPARE(dialog.findChild<QPushButton *>("btnImportSub")->toolTip(),
                 QString("从Excel文件导入单据明细结构"));
        QVERIFY(dialog.findChild<QPushButton *>("OKBtn")->isDefault());
        QCOMPARE(dialog.findChild<QPushButton *>("CancelBtn")->text(), QString("取消"));
    }

    void masterDetailKindOpenedForTheFirstTime()
    {
        TestDatabase t;
        t.exec("INSERT INTO noteKind (kindCode, kindName, layer, hasDetail) VALUES ('A05', "
               "'新单据', 2, 1);");
        TStructureDlg dialog("新单据");
        dialog.LoadMainStructure();
        dialog.LoadDetailStructure();
        QCOMPARE(listed(dialog.cdsTable()), QStringList({"1|ID|数字|10|0|"}));
        QCOMPARE(listed(dialog.cdsSub()), QStringList({"1|ID|数字|10|0|", "2|MID|数字|10|0|"}));
        QVERIFY(TableExists(t.db(), "新单据"));
        QVERIFY(TableExists(t.db(), "新单据sub"));
        QVERIFY(!dialog.findChild<StructureGrid *>("FieldsGridSub")->isHidden());
        QVERIFY(!dialog.findChild<QPushButton *>("btnImportSub")->isHidden());
        QCOMPARE(dialog.findChild<StructureGrid *>("FieldsGrid")
                     ->columnWidth(StructureListModel::FieldName),
                 120);
    }

    void exportsFieldNamesAndImportsTitles()
    {
        TestDatabase t;
        MessageRecorder messages;
        FileDialogAnswers files;
        TStructureDlg dialog("快递运单");
        dialog.LoadMainStructure();
        dialog.LoadDetailStructure();
        click(dialog, "btnExport");
        QCOMPARE(files.opened().size(), 2);
        const Worksheet main = Worksheet::readFirst(files.opened()[0]);
        QCOMPARE(main.name(), QString("快递运单栏目"));
        QCOMPARE(main.rowCount(), 1); // the names across row 1, nothing below
        QStringList names;
        for (int c = 0; c < main.columnCount(0); ++c)
            names << main.text(0, c);
        QCOMPARE(names,
                 QStringList({"ID", "单号", "收货单位", "地址", "金额", "打印标记", "填写日期"}));
        QCOMPARE(Worksheet::readFirst(files.opened()[1]).name(), QString("快递运单明细栏目"));

        // The detail titles read into the main list: the main table's fixed titles left out
        // (MID is no fixed column there), the others appended as text of size 50 after the
        // last row; read into the detail list, its own fixed titles left out too.
        files.answer(files.opened()[1]);
        click(dialog, "btnImport");
        QCOMPARE(listed(dialog.cdsTable()).mid(7),
                 QStringList({"8|MID|文本|50|0|", "9|品名|文本|50|0|", "10|数量|文本|50|0|",
                              "11|单价|文本|50|0|"}));
        files.answer(files.opened()[0]);
        click(dialog, "btnImportSub");
        QCOMPARE(listed(dialog.cdsSub()).mid(5),
                 QStringList({"6|单号|文本|50|0|", "7|收货单位|文本|50|0|", "8|地址|文本|50|0|",
                              "9|金额|文本|50|0|"}));
        QVERIFY(messages.shown().isEmpty());
    }

    void listsTheLiveTables()
    {
        TestDatabase t;
        TStructureDlg dialog("快递运单");
        dialog.LoadMainStructure();
        dialog.LoadDetailStructure();
        QCOMPARE(listed(dialog.cdsTable()),
                 QStringList({"1|ID|数字|10|0|", "2|单号|文本|20|0|", "3|收货单位|文本|50|0|",
                              "4|地址|文本|100|0|", "5|金额|货币|0|0|", "6|打印标记|是/否|0|1|0",
                              "7|填写日期|日期/时间|0|0|"}));
        QCOMPARE(listed(dialog.cdsSub()),
                 QStringList({"1|ID|数字|10|0|", "2|MID|数字|10|0|", "3|品名|文本|30|0|",
                              "4|数量|数字|10|0|", "5|单价|货币|0|0|"}));
    }

    void unmarkedKindShowsNoDetailAndKeepsItsTable()
    {
        TestDatabase t;
        t.exec("CREATE TABLE 收款收据sub (ID INTEGER PRIMARY KEY AUTOINCREMENT, MID int, 品名 Text "
               "(10));");
        TStructureDlg dialog("收款收据");
        dialog.LoadMainStructure();
        dialog.LoadDetailStructure();
        QVERIFY(dialog.findChild<StructureGrid *>("FieldsGridSub")->isHidden());
        QVERIFY(dialog.findChild<QPushButton *>("btnImportSub")->isHidden());
        typeRow(dialog.cdsTable(), "备注", "文本", "");
        const QStringList detail = columnsOf(t.db(), "收款收据sub");
        click(dialog, "OKBtn");
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(columnsOf(t.db(), "收款收据").contains("备注 Text (24)"));
        QCOMPARE(columnsOf(t.db(), "收款收据sub"), detail);
    }

    void saveRebuildsBothTables()
    {
        TestDatabase t;
        MessageRecorder messages;
        TStructureDlg dialog("快递运单");
        dialog.LoadMainStructure();
        dialog.LoadDetailStructure();
        typeRow(dialog.cdsTable(), "件数", "数字", "");
        typeRow(dialog.cdsSub(), "规格", "文本", "12");
        click(dialog, "OKBtn");
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(messages.shown().isEmpty());
        QCOMPARE(
            columnsOf(t.db(), "快递运单"),
            QStringList({"ID INTEGER", "单号 Text (20)", "收货单位 Text (50)", "地址 Text (100)",
                         "金额 Currency", "件数 Long", "打印标记 yesno", "填写日期 Time"}));
        QCOMPARE(columnsOf(t.db(), "快递运单sub").last(), QString("规格 Text (12)"));
        QCOMPARE(GetSqlValue(t.db(),
                             "SELECT count(*) FROM 快递运单sub s JOIN 快递运单 m ON m.ID = s.MID"),
                 QString("5"));
    }

    void refusedSaveKeepsTheDialogAndTheTables()
    {
        TestDatabase t;
        MessageRecorder messages;
        TStructureDlg dialog("快递运单");
        dialog.LoadMainStructure();
        dialog.LoadDetailStructure();
        bool released = false;
        dialog.setTableRelease([&] { return released = true; });
        QVERIFY(dialog.cdsTable()->setData(dialog.cdsTable()->index(2, StructureListModel::Size),
                                           "4", Qt::EditRole));
        const QStringList before = columnsOf(t.db(), "快递运单");
        click(dialog, "OKBtn");
        QVERIFY(dialog.result() != QDialog::Accepted);
        QCOMPARE(messages.shown().size(), 1);
        QCOMPARE(messages.shown().first().title, QString("单据栏目"));
        QCOMPARE(messages.lastText(),
                 QString("记录（ID=1）中栏目“收货单位”的文字有10个字，超过了新的大小4\n\n"
                         "单据结构没有保存，数据表保持原样。"));
        QCOMPARE(columnsOf(t.db(), "快递运单"), before);
        QVERIFY(released);
        QCOMPARE(dialog.cdsTable()->rows()[2].size, 4); // the list stays as typed
    }

    void aListThatCannotBeATableIsRefusedBeforeAnythingIsReleased()
    {
        TestDatabase t;
        MessageRecorder messages;
        TStructureDlg dialog("快递运单");
        dialog.LoadMainStructure();
        bool released = false;
        dialog.setTableRelease([&] { return released = true; });
        typeRow(dialog.cdsTable(), "单号", "文本", "");
        click(dialog, "OKBtn");
        QVERIFY(!released);
        QCOMPARE(
            messages.texts(),
            QStringList{
                "栏目“单号”重名（栏目名称不区分大小写）\n\n单据结构没有保存，数据表保持原样。"});
    }

    void namesAndTypesTheStoreCannotTakeAreRefused_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("message");
        for (const char *name : {"rowid", "RowID", "oid", "_rowid_"})
            QTest::addRow("%s", name)
                << name << "数字"
                << QString("栏目名称“%1”是数据库自用的名称（rowid、_rowid_、oid），"
                           "请换一个名称")
                       .arg(name);
        QTest::newRow("two type names") << "类别"
                                        << "文本数字"
                                        << "栏目“类别”的数据类型“文本数字”无法识别";
        QTest::newRow("a counter")
            << "序号"
            << "Counter"
            << "栏目“序号”不能设为自动编号：自动编号的只有 ID 栏目，请改用“数字”";
    }
    void namesAndTypesTheStoreCannotTakeAreRefused()
    {
        QFETCH(QString, name);
        QFETCH(QString, type);
        QFETCH(QString, message);
        TestDatabase t;
        MessageRecorder messages;
        TStructureDlg dialog("快递运单");
        dialog.LoadMainStructure();
        bool released = false;
        dialog.setTableRelease([&] { return released = true; });
        typeRow(dialog.cdsTable(), name, type, "");
        const QString records = GetSqlValue(t.db(), "SELECT group_concat(ID) FROM 快递运单");
        click(dialog, "OKBtn");
        QVERIFY(!released);
        QCOMPARE(messages.texts(), QStringList{message + "\n\n单据结构没有保存，数据表保持原样。"});
        QCOMPARE(GetSqlValue(t.db(), "SELECT group_concat(ID) FROM 快递运单"), records);
    }

    void typingIntoTheTypeCellReplacesIt()
    {
        StructureListModel list;
        list.setRows({named(1, "甲")});
        list.setData(list.index(0, StructureListModel::DataType), "文本", Qt::EditRole);
        StructureGrid grid(&list);
        grid.show();
        grid.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&grid));
        grid.setCurrentIndex(list.index(0, StructureListModel::DataType));
        QTest::sendKeyEvent(QTest::Click, &grid, Qt::Key_unknown, QString("数"), Qt::NoModifier);
        QWidget *editor = QApplication::focusWidget();
        QVERIFY(editor && editor != &grid);
        QTest::sendKeyEvent(QTest::Click, editor, Qt::Key_unknown, QString("字"), Qt::NoModifier);
        QTest::keyClick(editor, Qt::Key_Return);
        QCOMPARE(list.rows().first().dataType, QString("数字"));
    }

    void aWindowThatWillNotLetGoStopsTheSave()
    {
        TestDatabase t;
        MessageRecorder messages;
        TStructureDlg dialog("快递运单");
        dialog.LoadMainStructure();
        dialog.setTableRelease([] { return false; });
        typeRow(dialog.cdsTable(), "件数", "数字", "");
        click(dialog, "OKBtn");
        QVERIFY(dialog.result() != QDialog::Accepted);
        QVERIFY(!columnsOf(t.db(), "快递运单").contains("件数 Long"));
    }

    void cancelLeavesTheTables()
    {
        TestDatabase t;
        TStructureDlg dialog("快递运单");
        dialog.LoadMainStructure();
        typeRow(dialog.cdsTable(), "件数", "数字", "");
        const QStringList before = columnsOf(t.db(), "快递运单");
        click(dialog, "CancelBtn");
        QCOMPARE(columnsOf(t.db(), "快递运单"), before);
    }

    void aDialogThatCannotLoadIsNotShownAndSaysWhy()
    {
        TestDatabase t;
        MessageRecorder messages;
        bool shown = false;
        QTimer::singleShot(0, [&] {
            if (QWidget *dialog = QApplication::activeModalWidget()) {
                shown = true;
                dialog->close();
            }
        });
        ShowStructureDialog(nullptr, "常用数据");
        QCoreApplication::processEvents();
        QVERIFY(!shown);
        QCOMPARE(messages.texts(),
                 QStringList{"“常用数据”是系统自用的数据表，不能作为单据的数据表"});
        QCOMPARE(messages.shown().first().title, QString("单据栏目"));
    }

    void newRowsStartAsText()
    {
        StructureListModel list;
        list.insertNewRow(0);
        QCOMPARE(list.rows().first().dataType, QString("文本"));
        QCOMPARE(list.data(list.index(0, StructureListModel::Position), Qt::DisplayRole).toString(),
                 QString());
        QCOMPARE(list.data(list.index(0, StructureListModel::Size), Qt::DisplayRole).toString(),
                 QString());
        QVERIFY(!list.setData(list.index(0, StructureListModel::Size), "十", Qt::EditRole));
        QVERIFY(!(list.flags(list.index(0, StructureListModel::Position)) & Qt::ItemIsEditable));
        QVERIFY(list.setData(list.index(0, StructureListModel::Required), Qt::Checked,
                             Qt::CheckStateRole));
        QVERIFY(list.rows().first().required);
    }

    void ctrlDeleteAsksFirst_data()
    {
        QTest::addColumn<bool>("answer");
        QTest::addColumn<int>("rowsLeft");
        QTest::newRow("OK") << true << 2;
        QTest::newRow("Cancel") << false << 3;
    }
    void ctrlDeleteAsksFirst()
    {
        QFETCH(bool, answer);
        QFETCH(int, rowsLeft);
        MessageRecorder messages(answer);
        StructureListModel list;
        list.setRows({named(1, "甲"), named(2, "乙"), named(3, "丙")});
        StructureGrid grid(&list);
        grid.setCurrentIndex(list.index(1, 1));
        QTest::keyClick(&grid, Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(messages.shown().size(), 1);
        QCOMPARE(messages.shown().first().kind, Messages::Kind::OkCancel);
        QCOMPARE(list.rowCount(), rowsLeft);
        QCOMPARE(list.rows().first().fieldName, QString("甲"));
    }

    void contextMenuDeletesAtOnce()
    {
        MessageRecorder messages;
        StructureListModel list;
        list.setRows({named(1, "甲"), named(2, "乙")});
        StructureGrid grid(&list);
        grid.setCurrentIndex(list.index(0, 1));
        QMenu *menu = grid.findChild<QMenu *>();
        QCOMPARE(menu->actions().size(), 1);
        QCOMPARE(menu->actions().first()->text(), QString("删除"));
        menu->actions().first()->trigger();
        QCOMPARE(list.rowCount(), 1);
        QCOMPARE(list.rows().first().fieldName, QString("乙"));
        QVERIFY(messages.shown().isEmpty());
    }

    void downOnTheLastRowAddsOneRow()
    {
        StructureListModel list;
        StructureGrid grid(&list);
        QTest::keyClick(&grid, Qt::Key_Down);
        QCOMPARE(list.rowCount(), 1);
        QTest::keyClick(&grid, Qt::Key_Down); // the empty row is not followed by another
        QCOMPARE(list.rowCount(), 1);
        list.setData(list.index(0, StructureListModel::FieldName), "甲", Qt::EditRole);
        QTest::keyClick(&grid, Qt::Key_Down);
        QCOMPARE(list.rowCount(), 2);
    }

    void enterMovesOnAsTab()
    {
        StructureListModel list;
        list.setRows({named(1, "甲")});
        StructureGrid grid(&list);
        grid.setCurrentIndex(list.index(0, StructureListModel::FieldName));
        QTest::keyClick(&grid, Qt::Key_Return);
        QCOMPARE(grid.currentIndex(), list.index(0, StructureListModel::DataType));
        grid.setCurrentIndex(list.index(0, StructureListModel::Default));
        QTest::keyClick(&grid, Qt::Key_Enter);
        QCOMPARE(list.rowCount(), 2); // past the last cell a new row begins
        QCOMPARE(grid.currentIndex(), list.index(1, StructureListModel::FieldName));
        QCOMPARE(list.rows().last().dataType, QString("文本"));
    }
};

QTEST_MAIN(TestStructureDialog)
#include "tst_structuredialog.moc"
