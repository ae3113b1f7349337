#include "support/MainFormTree.h"
#include "support/MessageRecorder.h"
#include "support/TestDatabase.h"

#include "shell/TMainForm.h"
#include "store/SqlHelpers.h"

#include <QAction>
#include <QApplication>
#include <QInputDialog>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>
#include <optional>

namespace {

// Triggers 另存为...; the name box, when it opens, gets the name typed and accepted, or is
// cancelled when there is none. Returns whether the box opened.
bool saveAs(TMainForm &form, std::optional<QString> name)
{
    bool asked = false;
    // The box is looked for until it shows; a command that asks nothing leaves the timer be.
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QInputDialog *box = nullptr;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *shown = qobject_cast<QInputDialog *>(w); shown && shown->isVisible())
                box = shown;
        if (!box)
            return;
        poll.stop();
        asked = true;
        QCOMPARE(box->windowTitle(), QString("输入"));
        QCOMPARE(box->labelText(), QString("请输入新单据名称"));
        QCOMPARE(box->textValue(), QString("新单据"));
        if (name) {
            box->setTextValue(*name);
            box->accept();
        } else {
            box->reject();
        }
    });
    poll.start();
    form.action("actSaveAs")->trigger();
    return asked;
}

QString value(const QString &query)
{
    return GetSqlValue(QSqlDatabase::database("conNote", false), query);
}

const QString AllKinds = "SELECT group_concat(kindCode || kindName, ',') FROM "
                         "(SELECT * FROM noteKind ORDER BY kindCode)";

} // namespace

class TestMainFormCopy : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void copyGetsTheCodeAfterTheGreatestSibling()
    {
        TestDatabase t;
        t.exec("INSERT INTO noteKind (kindCode, kindName, parentId, layer) SELECT 'A0' || n, "
               "'单' || n, (SELECT ID FROM noteKind WHERE kindCode = 'A'), 2 FROM (SELECT 3 AS n "
               "UNION SELECT 4 UNION SELECT 5 UNION SELECT 6 UNION SELECT 7);\n"
               "CREATE TABLE \"单3\" (ID INTEGER PRIMARY KEY AUTOINCREMENT, \"甲\" Text (10),"
               " \"打印标记\" yesno NOT NULL DEFAULT 0, \"填写日期\" Time);\n"
               "INSERT INTO \"单3\" VALUES (1, 'a', -1, '2026-12-01 00:00:00');");
        MessageRecorder messages;
        TMainForm form;
        select(form, "(A03)单3");
        QVERIFY(saveAs(form, QString("单3副本")));
        QCOMPARE(messages.texts(), QStringList());
        QCOMPARE(value("SELECT kindName FROM noteKind WHERE kindCode = 'A08'"), QString("单3副本"));
        QCOMPARE(value("SELECT count(*) FROM \"单3副本\" WHERE \"打印标记\" = -1"), QString("1"));
        QCOMPARE(form.tree()->currentItem()->text(0), QString("(A08)单3副本"));
        QCOMPARE(form.currentKindCode(), QString("A03"));
    }

    void codeNinetyNineIsTheLast()
    {
        TestDatabase t;
        t.exec("INSERT INTO noteKind (kindCode, kindName, parentId, layer) VALUES ('A99', '末', "
               "(SELECT ID FROM noteKind WHERE kindCode = 'A'), 2);");
        MessageRecorder messages;
        TMainForm form;
        const QString before = value(AllKinds);
        select(form, "(A02)收款收据");
        QVERIFY(!saveAs(form, QString("再一个")));
        QCOMPARE(messages.shown().size(), 1);
        QVERIFY(messages.lastText().contains("A99"));
        QCOMPARE(value(AllKinds), before);
        QVERIFY(!TableExists(t.db(), "再一个"));
    }

    void existingNameChangesNothing()
    {
        TestDatabase t;
        t.exec("CREATE TABLE \"新单据\" (ID INTEGER PRIMARY KEY);");
        MessageRecorder messages;
        TMainForm form;
        const QString before = value(AllKinds);
        select(form, "(A02)收款收据");
        QVERIFY(saveAs(form, std::nullopt)); // cancelled: the proposed name stands
        QCOMPARE(messages.texts(), QStringList({"新单据已存在"}));
        QCOMPARE(value(AllKinds), before);
    }

    void emptyNameIsRefused()
    {
        TestDatabase t;
        MessageRecorder messages;
        TMainForm form;
        const QString before = value(AllKinds);
        select(form, "(A02)收款收据");
        QVERIFY(saveAs(form, QString("   ")));
        QCOMPARE(messages.shown().size(), 1);
        QCOMPARE(messages.shown()[0].kind, Messages::Kind::Error);
        QCOMPARE(value(AllKinds), before);
    }

    void masterDetailCopyHasNoDetailGrid()
    {
        TestDatabase t;
        MessageRecorder messages;
        TMainForm form;
        select(form, "(A01)快递运单");
        QVERIFY(saveAs(form, QString("运单二")));
        QCOMPARE(value("SELECT hasDetail FROM noteKind WHERE kindName = '运单二'"), QString("0"));
        QVERIFY(!TableExists(t.db(), "运单二sub"));
        QCOMPARE(value("SELECT count(*) FROM \"运单二\""), QString("4"));
        form.action("actOpen")->trigger();
        QCOMPARE(form.tabs()->count(), 1);
        QWidget *window = form.tabs()->currentWidget();
        QCOMPARE(form.tabs()->tabText(0), QString("运单二"));
        QVERIFY(!window->findChild<QWidget *>("dbgrdSub")->isVisibleTo(window));
        QCOMPARE(messages.texts(), QStringList());
    }

    void onlyFormKindsAreCopied_data()
    {
        QTest::addColumn<QString>("node");
        QTest::newRow("category") << "(A)物流单据";
        QTest::newRow("root") << "所有模板";
        QTest::newRow("common data") << "基础数据";
    }
    void onlyFormKindsAreCopied()
    {
        QFETCH(QString, node);
        TestDatabase t;
        MessageRecorder messages;
        TMainForm form;
        const QString before = value(AllKinds);
        select(form, node);
        QVERIFY(!saveAs(form, QString("不该有")));
        QCOMPARE(value(AllKinds), before);
        QVERIFY(messages.shown().isEmpty());
    }
};

QTEST_MAIN(TestMainFormCopy)
#include "tst_mainformcopy.moc"
