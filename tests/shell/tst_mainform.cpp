#include "support/MessageRecorder.h"
#include "support/TestDatabase.h"

#include "records/TmakeNote.h"
#include "shell/KindTabBar.h"
#include "shell/TMainForm.h"
#include "store/DataSet.h"
#include "store/Database.h"
#include "store/IniFile.h"
#include "store/ProgramFolder.h"
#include "store/SqlHelpers.h"
#include "widgets/RecordGrid.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>
#include <optional>

namespace {

QStringList treeLines(QTreeWidget *tree)
{
    QStringList lines;
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        int depth = 0;
        for (auto *p = (*it)->parent(); p; p = p->parent())
            ++depth;
        lines << QString(depth * 2, ' ') + (*it)->text(0);
    }
    return lines;
}

bool select(TMainForm &form, const QString &text)
{
    const auto found = form.tree()->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    if (found.isEmpty())
        return false;
    form.tree()->setCurrentItem(found.first());
    return true;
}

void openNode(TMainForm &form, const QString &text)
{
    QVERIFY2(select(form, text), qPrintable(text));
    form.action("actOpen")->trigger();
}

QStringList enabledTabCommands(const TMainForm &form)
{
    QStringList names;
    for (const char *n : {"actDesign", "actPreview", "actPrint", "actExport", "actImport",
                          "actCopy", "actPaste", "actDelete", "actClearAll", "actClose"})
        if (form.action(n)->isEnabled())
            names << n;
    return names;
}

QPoint inTab(QTabBar *bar, int index, int x)
{
    const QRect r = bar->tabRect(index);
    return QPoint(r.left() + x, r.center().y());
}

// Answers Yes to every question but "放弃修改?", and records the texts.
struct KeepEditsAnswers {
    QStringList texts;
    KeepEditsAnswers()
    {
        Messages::setResponder([this](const Messages::Shown &shown) {
            texts << shown.text;
            return !shown.text.endsWith("放弃修改?");
        });
    }
    ~KeepEditsAnswers() { Messages::setResponder({}); }
};

// Opens the receipts, types a row without leaving it, then deletes the kind under it.
void typeRowThenDeleteItsKind(TMainForm &form)
{
    openNode(form, "(A02)收款收据");
    auto *window = qobject_cast<TmakeNote *>(form.tabs()->currentWidget());
    window->mainDataSet()->append();
    window->mainDataSet()->setFieldValue("交款单位", "删除前输入的");
    QVERIFY(select(form, "(A02)收款收据"));
    form.action("actDelNode")->trigger();
}

} // namespace

class TestMainForm : public QObject {
    Q_OBJECT

    // Nine form kinds with tables K01..K09 under category K, besides the demo.
    static void addNineKinds(const TestDatabase &t)
    {
        QString script =
            "INSERT INTO noteKind (kindCode, kindName, layer) VALUES ('K', '多种单据', 1);\n";
        for (int i = 1; i <= 9; ++i) {
            script += QString("INSERT INTO noteKind (kindCode, kindName, layer) VALUES ('K0%1', "
                              "'单据%1', 2);\n")
                          .arg(i);
            script +=
                QString(
                    "CREATE TABLE 单据%1 (ID INTEGER PRIMARY KEY AUTOINCREMENT, 名称 Text (20), "
                    "打印标记 yesno NOT NULL DEFAULT 0, 填写日期 Time);\n")
                    .arg(i);
        }
        t.exec(script);
    }

private Q_SLOTS:
    void buildsTreeInCodeOrder()
    {
        TestDatabase t;
        t.exec("DELETE FROM noteKind;\n"
               "INSERT INTO noteKind (kindCode, kindName) VALUES ('A02', '收据'), ('A', '票据'), "
               "('A01', '发票'),"
               " ('B01', '孤儿单据'), ('C', '其他'), ('C01', '支票'), ('CX12', '坏代码'), ('D', "
               "'之后');");
        MessageRecorder messages;
        TMainForm form;
        QCOMPARE(treeLines(form.tree()),
                 QStringList({"所有模板", "  基础数据", "  (A)票据", "    (A01)发票",
                              "    (A02)收据", "  (B01)孤儿单据", "  (C)其他", "    (C01)支票"}));
        QVERIFY(messages.shown().isEmpty()); // a bad code stops the tree without a word
        QCOMPARE(form.tree()->currentItem()->text(0), QString("所有模板"));
    }

    void orphanFirstInOrderGoesUnderRoot()
    {
        TestDatabase t;
        t.exec("DELETE FROM noteKind;\n"
               "INSERT INTO noteKind (kindCode, kindName) VALUES ('001', '无类'), ('A', '票据'), "
               "('A01', '发票');");
        TMainForm form;
        QCOMPARE(treeLines(form.tree()), QStringList({"所有模板", "  基础数据", "  (001)无类",
                                                      "  (A)票据", "    (A01)发票"}));
    }

    void findsNodesAndKindIds()
    {
        TestDatabase t;
        TMainForm form;
        QCOMPARE(form.FindKindNode("A01")->text(0), QString("(A01)快递运单"));
        QCOMPARE(form.FindParentNode("A01")->text(0), QString("(A)物流单据"));
        QCOMPARE(form.FindParentNode("A"), nullptr);
        QCOMPARE(form.KindIdOf("A02"),
                 GetSqlValue(t.db(), "SELECT ID FROM noteKind WHERE kindCode='A02'").toInt());
        QCOMPARE(form.KindIdOf("Z99"), -1);
        QVERIFY(form.KindHasChildren("a"));
        QVERIFY(!form.KindHasChildren("A01"));
    }

    void openingNodes()
    {
        TestDatabase t;
        t.exec("INSERT INTO noteKind (kindCode, kindName) VALUES ('A03', '没有表的单据');");
        MessageRecorder messages;
        TMainForm form;
        openNode(form, "所有模板");
        openNode(form, "(A)物流单据");
        openNode(form, "(A03)没有表的单据");
        QCOMPARE(form.tabs()->count(), 0);
        openNode(form, "基础数据");
        QCOMPARE(form.tabs()->tabText(0), QString("基础数据"));
        QCOMPARE(form.tabKeyword(0), QString());
        openNode(form, "(A01)快递运单");
        QCOMPARE(form.tabs()->count(), 2);
        QCOMPARE(form.tabKeyword(1), QString("A01"));
        QCOMPARE(form.currentKindCode(), QString("A01"));
        auto *window = qobject_cast<TmakeNote *>(form.tabs()->widget(1));
        QVERIFY(window);
        QCOMPARE(window->mainDataSet()->filter(), QString("打印标记=0"));
        QCOMPARE(window->mainDataSet()->rowCount(), 3);
        QVERIFY(window->detailDataSet()->isOpen());
        QVERIFY(window->detailGrid()->isVisibleTo(window));
        openNode(form, "基础数据");
        QCOMPARE(form.tabs()->currentIndex(), 0);
        openNode(form, "(A01)快递运单");
        QCOMPARE(form.tabs()->count(), 2);
        QCOMPARE(form.tabs()->currentIndex(), 1);
        openNode(form, "(A02)收款收据");
        auto *receipt = qobject_cast<TmakeNote *>(form.tabs()->widget(2));
        QVERIFY(!receipt->detailGrid()->isVisibleTo(receipt));
        QVERIFY(!receipt->detailDataSet()->isOpen());
        QVERIFY(messages.shown().isEmpty());
    }

    void eightTabsAtMost()
    {
        TestDatabase t;
        addNineKinds(t);
        MessageRecorder messages;
        TMainForm form;
        openNode(form, "基础数据");
        for (int i = 1; i <= 7; ++i)
            openNode(form, QString("(K0%1)单据%1").arg(i));
        QCOMPARE(form.tabs()->count(), 8);
        QVERIFY(messages.shown().isEmpty());
        openNode(form, "(K08)单据8");
        QCOMPARE(form.tabs()->count(), 8);
        QCOMPARE(messages.texts(), QStringList{"已经打开太多窗口了"});
        QCOMPARE(messages.shown().first().kind, Messages::Kind::Information);
        openNode(form, "(K03)单据3"); // already open: shown, even at the limit
        QCOMPARE(form.tabs()->tabText(form.tabs()->currentIndex()), QString("单据3"));
        QCOMPARE(messages.shown().size(), 1);
    }

    void enablingFollowsOpenAndCloseOnly()
    {
        TestDatabase t;
        MessageRecorder messages;
        TMainForm form;
        QCOMPARE(enabledTabCommands(form), QStringList());
        openNode(form, "基础数据");
        QCOMPARE(enabledTabCommands(form),
                 QStringList({"actExport", "actImport", "actCopy", "actDelete", "actClose"}));
        openNode(form, "(A01)快递运单");
        const QStringList recordCommands{"actDesign", "actPreview",  "actPrint",
                                         "actExport", "actImport",   "actCopy",
                                         "actDelete", "actClearAll", "actClose"};
        QCOMPARE(enabledTabCommands(form), recordCommands);
        form.tabs()->setCurrentIndex(0); // switching tabs changes nothing
        QCOMPARE(enabledTabCommands(form), recordCommands);
        form.tabs()->setCurrentIndex(1);
        form.action("actClose")->trigger();
        QCOMPARE(form.tabs()->count(), 1);
        QVERIFY(form.action("actDesign")->isEnabled()); // stays, and does nothing here
        form.action("actDesign")->trigger();
        form.action("actClearAll")->trigger();
        QVERIFY(messages.shown().isEmpty());
        form.action("actClose")->trigger();
        QCOMPARE(enabledTabCommands(form), QStringList());
        QCOMPARE(form.findChild<QStackedWidget *>()->currentWidget()->objectName(),
                 QString("imgBG"));
    }

    void deleteGreysOutWhileGridShowsNoRow()
    {
        TestDatabase t;
        TMainForm form;
        openNode(form, "(A01)快递运单");
        auto *window = qobject_cast<TmakeNote *>(form.tabs()->currentWidget());
        QVERIFY(form.action("actDelete")->isEnabled());
        window->mainDataSet()->setFilter("打印标记=0 and 金额 > 99999");
        QVERIFY(!form.action("actDelete")->isEnabled());
        window->mainDataSet()->setFilter("打印标记=0");
        QVERIFY(form.action("actDelete")->isEnabled());
    }

    void mouseClosesTabs()
    {
        TestDatabase t;
        addNineKinds(t);
        TMainForm form;
        form.resize(1200, 700);
        form.show();
        for (int i = 1; i <= 4; ++i)
            openNode(form, QString("(K0%1)单据%1").arg(i));
        QTabBar *bar = form.tabs()->tabBar();
        QCOMPARE(bar->tabRect(1).width(), KindTabBar::TabWidth);
        QCOMPARE(bar->tabRect(1).left(), 100);
        // A press elsewhere on an inactive tab only activates it.
        QTest::mouseClick(bar, Qt::LeftButton, {}, inTab(bar, 1, 50));
        QCOMPARE(form.tabs()->count(), 4);
        QCOMPARE(form.tabs()->currentIndex(), 1);
        // A press in the glyph band of a tab activates and closes it; its right neighbour follows.
        QTest::mouseClick(bar, Qt::LeftButton, {}, inTab(bar, 2, 85));
        QCOMPARE(form.tabs()->count(), 3);
        QCOMPARE(form.tabs()->tabText(form.tabs()->currentIndex()), QString("单据4"));
        // The band's edges (80 and 94) are outside it.
        QTest::mouseClick(bar, Qt::LeftButton, {}, inTab(bar, 0, 80));
        QTest::mouseClick(bar, Qt::LeftButton, {}, inTab(bar, 0, 94));
        QCOMPARE(form.tabs()->count(), 3);
        // Closing the last tab wraps to the first.
        QTest::mouseClick(bar, Qt::LeftButton, {}, inTab(bar, 2, 90));
        QCOMPARE(form.tabs()->count(), 2);
        QCOMPARE(form.tabs()->currentIndex(), 0);
        // A double click closes the tab under the pointer.
        QTest::mouseDClick(bar, Qt::LeftButton, {}, inTab(bar, 1, 30));
        QCOMPARE(form.tabs()->count(), 1);
        QCOMPARE(form.tabs()->tabText(0), QString("单据1"));
        QTest::mouseDClick(bar, Qt::LeftButton, {}, inTab(bar, 0, 30));
        QCOMPARE(form.tabs()->count(), 0);
        QCOMPARE(enabledTabCommands(form), QStringList());
        QCOMPARE(form.findChild<QStackedWidget *>()->currentWidget()->objectName(),
                 QString("imgBG"));
    }

    void closingTabStoresLayout()
    {
        TestDatabase t;
        TMainForm form;
        openNode(form, "(A01)快递运单");
        auto *window = qobject_cast<TmakeNote *>(form.tabs()->currentWidget());
        window->mainGrid()->setColumnWidth(1, 77);
        form.action("actClose")->trigger();
        IniFile ini(ProgramFolder::settingsPath());
        QCOMPARE(ini.readInteger("A01", "1", -1), 77);
        QCOMPARE(ini.readInteger("A01", "0", -1), 150);
        QCOMPARE(ini.readInteger("Option", "copies", -1), 2);
        QCOMPARE(ini.readInteger("A01sub", "4", -1), 150);
        openNode(form, "(A01)快递运单");
        window = qobject_cast<TmakeNote *>(form.tabs()->currentWidget());
        QCOMPARE(window->mainGrid()->columnWidth(1), 77);
    }

    void closingNeverDropsATypedRow()
    {
        TestDatabase t;
        t.exec("CREATE TABLE 必填单 (ID INTEGER PRIMARY KEY AUTOINCREMENT, 名称 Text (20) NOT "
               "NULL, 打印标记 yesno NOT NULL DEFAULT 0, 填写日期 Time);\n"
               "INSERT INTO noteKind (kindCode, kindName) VALUES ('A03', '必填单');");
        MessageRecorder messages;
        TMainForm form;
        openNode(form, "(A01)快递运单");
        auto *waybill = qobject_cast<TmakeNote *>(form.tabs()->currentWidget());
        waybill->mainDataSet()->edit();
        waybill->mainDataSet()->setFieldValue("收货单位", "关窗前改的");
        form.action("actClose")->trigger();
        QCOMPARE(GetSqlValue(t.db(), "SELECT 收货单位 FROM 快递运单 WHERE ID = 1"),
                 QString("关窗前改的"));

        openNode(form, "(A03)必填单");
        auto *required = qobject_cast<TmakeNote *>(form.tabs()->currentWidget());
        required->mainDataSet()->append();
        required->mainDataSet()->setFieldValue("填写日期", "2026-12-01");
        KeepEditsAnswers keep;
        form.action("actClose")->trigger(); // 名称 is required: the row cannot be saved yet
        QCOMPARE(form.tabs()->count(), 1);
        QVERIFY(keep.texts.last().contains("名称"));
        QVERIFY(!form.close());
        QVERIFY(keep.texts.last().endsWith("放弃修改?"));
        QCOMPARE(form.tabs()->count(), 1);
        required->mainDataSet()->setFieldValue("名称", "补上了");
        QVERIFY(form.close());
        QCOMPARE(GetSqlValue(t.db(), "SELECT 名称 FROM 必填单"), QString("补上了"));
    }

    void deletingKinds()
    {
        TestDatabase t;
        MessageRecorder messages;
        TMainForm form;
        QVERIFY(select(form, "(A)物流单据"));
        form.action("actDelNode")->trigger();
        QCOMPARE(messages.texts(), QStringList({"你确信要删除该记录吗？", "非末结点不能删除！"}));
        QCOMPARE(messages.shown()[0].kind, Messages::Kind::YesNo);
        QVERIFY(form.FindKindNode("A"));

        messages.clear();
        messages.setAnswer(false);
        QVERIFY(select(form, "(A01)快递运单"));
        form.action("actDelNode")->trigger();
        QVERIFY(TableExists(t.db(), "快递运单"));

        messages.setAnswer(true);
        QVERIFY(select(form, "(A01)快递运单"));
        form.action("actDelNode")->trigger();
        QVERIFY(!TableExists(t.db(), "快递运单"));
        QVERIFY(TableExists(t.db(), "快递运单sub"));
        QCOMPARE(GetSqlValue(t.db(), "SELECT count(*) FROM noteKind WHERE kindCode = 'A01'"),
                 QString("0"));
        QCOMPARE(form.FindKindNode("A01"), nullptr);
        QVERIFY(select(form, "基础数据"));
        messages.clear();
        form.action("actDelNode")->trigger();
        QVERIFY(messages.shown().isEmpty());
    }

    // A tab whose kind was deleted holds a row that can never be saved: the user hears why,
    // may give it up, and can always close the tab and the program.
    void rowOfDeletedKindCanBeGivenUp()
    {
        TestDatabase t;
        std::optional<MessageRecorder> messages(std::in_place);
        TMainForm form;
        typeRowThenDeleteItsKind(form);
        QVERIFY(!TableExists(t.db(), "收款收据"));
        messages.reset();
        {
            KeepEditsAnswers keep;
            form.action("actClose")->trigger();
            QCOMPARE(form.tabs()->count(), 1);
            QCOMPARE(keep.texts.size(), 1);
            QVERIFY2(keep.texts[0].contains("收款收据") && keep.texts[0].contains("不存在"),
                     qPrintable(keep.texts[0]));
            QVERIFY(keep.texts[0].endsWith("放弃修改?"));
            QVERIFY(!form.close());
            QCOMPARE(keep.texts.size(), 3); // leave? and again the row
        }
        MessageRecorder giveUp;
        form.action("actClose")->trigger(); // given up this time
        QCOMPARE(form.tabs()->count(), 0);
        QCOMPARE(giveUp.shown().size(), 1);
        QCOMPARE(giveUp.shown()[0].kind, Messages::Kind::YesNo);
        QVERIFY(form.close());
    }

    void programCanCloseOnARowOfADeletedKind()
    {
        TestDatabase t;
        MessageRecorder messages;
        TMainForm form;
        form.show();
        typeRowThenDeleteItsKind(form);
        messages.clear();
        form.action("actExit")->trigger();
        QVERIFY(!form.isVisible());
        QCOMPARE(messages.texts().size(), 2);
        QCOMPARE(messages.texts()[0], QString("你确定要退出吗？"));
        QVERIFY(!messages.texts()[1].contains("Parameter count"));
    }

    void rightClickKeepsTheSelection()
    {
        TestDatabase t;
        TMainForm form;
        form.resize(1000, 700);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(select(form, "(A01)快递运单"));
        QTreeWidgetItem *other =
            form.tree()->findItems("(A02)收款收据", Qt::MatchExactly | Qt::MatchRecursive).first();
        auto *menu = form.findChild<QMenu *>("pmTreeview");
        const QPoint at = form.tree()->visualItemRect(other).center();
        QTest::mouseClick(form.tree()->viewport(), Qt::RightButton, {}, at);
        QContextMenuEvent request(
            QContextMenuEvent::Mouse, at,
            form.tree()->viewport()->mapToGlobal(at)); // as the window system follows it
        QApplication::sendEvent(form.tree()->viewport(), &request);
        QCOMPARE(form.tree()->currentItem()->text(0), QString("(A01)快递运单"));
        QTRY_VERIFY(menu->isVisible());
        menu->hide();
        // The left button still selects.
        QTest::mouseClick(form.tree()->viewport(), Qt::LeftButton, {},
                          form.tree()->visualItemRect(other).center());
        QCOMPARE(form.tree()->currentItem(), other);
    }

    void tabAreaIsATabWidgetWithTheKindStrip()
    {
        TestDatabase t;
        TMainForm form;
        QTabWidget *tabs = form.findChild<QTabWidget *>("pgcMain");
        QVERIFY(tabs->inherits("KindTabWidget"));
        QVERIFY(qobject_cast<KindTabBar *>(tabs->tabBar()));
    }

    void missingDatabaseOpensEmptyWindow()
    {
        QTemporaryDir empty;
        Database::disconnect();
        ProgramFolder::set(empty.path());
        MessageRecorder messages;
        TMainForm form;
        QCOMPARE(form.tree()->topLevelItemCount(), 0);
        QCOMPARE(messages.shown().size(), 1);
        QVERIFY(messages.lastText().startsWith("找不到数据库文件"));
        QCOMPARE(form.tipTimer(), nullptr); // the rest of the start-up is skipped
    }

    void exitAsksFirst()
    {
        TestDatabase t;
        MessageRecorder messages(false);
        TMainForm form;
        form.show();
        QVERIFY(!form.close());
        QVERIFY(form.isVisible());
        QCOMPARE(messages.lastText(), QString("你确定要退出吗？"));
        QCOMPARE(messages.shown().last().title, QString("提醒"));
        messages.setAnswer(true);
        form.action("actExit")->trigger();
        QVERIFY(!form.isVisible());
    }

    void startupOptions()
    {
        TestDatabase t;
        {
            TMainForm form; // no settings file: no tip, no picture
            QVERIFY(!form.showTipFlag());
            QVERIFY(form.tipTimer()->isSingleShot());
            QCOMPARE(form.tipTimer()->interval(), 8000);
            QVERIFY(form.tipTimer()->isActive());
        }
        const QString gif = t.folder() + "/背景.gif";
        QFile gifFile(gif); // Qt writes no GIF; the extension is what is judged
        QVERIFY(gifFile.open(QIODevice::WriteOnly));
        gifFile.write("GIF89a");
        gifFile.close();
        IniFile ini(ProgramFolder::settingsPath());
        ini.writeString("Option", "BgPic", gif);
        ini.writeBool("Option", "BgStretch", true);
        {
            TMainForm form;
            QVERIFY(form.showTipFlag());
            QVERIFY(form.action("actBgStretch")->isChecked());
            QVERIFY(form.findChild<QLabel *>("imgBG")->pixmap().isNull());
        }
        const QString jpg = t.folder() + "/背景.jpg";
        QImage(8, 8, QImage::Format_RGB32).save(jpg, "JPG");
        ini.writeString("Option", "BgPic", jpg);
        ini.writeInteger("Option", "ShowTipOfDay", 0);
        {
            TMainForm form;
            QVERIFY(!form.showTipFlag());
            QVERIFY(!form.findChild<QLabel *>("imgBG")->pixmap().isNull());
        }
        ini.writeString("Option", "BgPic", t.folder() + "/没有这个文件.jpg");
        {
            TMainForm form;
            QVERIFY(!form.action("actBgStretch")->isChecked());
        }
    }
};

QTEST_MAIN(TestMainForm)
#include "tst_mainform.moc"
