#include "support/MessageRecorder.h"
#include "support/TestDatabase.h"

#include "shell/TMainForm.h"
#include "shell/TfmNoteSrt.h"
#include "store/SqlHelpers.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>
#include <QtTest>

namespace {

void select(TMainForm &form, const QString &text)
{
    const auto found = form.tree()->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    QVERIFY2(!found.isEmpty(), qPrintable(text));
    form.tree()->setCurrentItem(found.first());
}

QStringList noteKindRows(const QSqlDatabase &db)
{
    QStringList rows;
    for (const QVariantList &r : GetSqlData(db, "SELECT ID, kindCode, kindName, quote(parentId), "
                                                "layer, hasDetail FROM noteKind ORDER BY ID")
                                     .rows) {
        QStringList cells;
        for (const QVariant &v : r)
            cells << v.toString();
        rows << cells.join('|');
    }
    return rows;
}

QString idOf(const QSqlDatabase &db, const QString &code)
{
    return GetSqlValue(db, "SELECT ID FROM noteKind WHERE kindCode = ?", {code});
}

QString parentText(TMainForm &form, const QString &text)
{
    const auto found = form.tree()->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() || !found.first()->parent() ? QString()
                                                       : found.first()->parent()->text(0);
}

void type(TfmNoteSrt &dialog, const QString &code, const QString &name, bool hasDetail = false)
{
    dialog.findChild<QLineEdit *>("dbedt_Code")->setText(code);
    dialog.findChild<QLineEdit *>("dbedt_Name")->setText(name);
    dialog.findChild<QCheckBox *>("cbHasDetail")->setChecked(hasDetail);
}

} // namespace

class TestKindDialog : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void controls()
    {
        TestDatabase t;
        MessageRecorder messages;
        TMainForm form;
        TfmNoteSrt dialog(&form, QString(), -1);
        QCOMPARE(dialog.windowTitle(), QString("单据信息维护"));
        QCOMPARE(dialog.findChild<QLabel *>("lbl_code_Fmt")->text(), QString("* ** "));
        QCOMPARE(dialog.findChild<QLineEdit *>("dbedt_Code")->toolTip(),
                 QString("类别编码，例如X01"));
        QCOMPARE(dialog.findChild<QLineEdit *>("dbedt_Name")->toolTip(),
                 QString("类别名称，例如发票"));
        QCOMPARE(dialog.findChild<QCheckBox *>("cbHasDetail")->text(), QString("主从单据"));
    }

    void addingPrefillsTheSelectedCode_data()
    {
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QString>("prefilled");
        QTest::newRow("category") << "(A)物流单据"
                                  << "A";
        QTest::newRow("form kind") << "(A01)快递运单"
                                   << "A01";
        QTest::newRow("root") << "所有模板"
                              << "";
        QTest::newRow("common data") << "基础数据"
                                     << "";
    }
    void addingPrefillsTheSelectedCode()
    {
        QFETCH(QString, selected);
        QFETCH(QString, prefilled);
        TestDatabase t;
        TMainForm form;
        select(form, selected);
        TfmNoteSrt dialog(&form, QString(), -1);
        QCOMPARE(dialog.findChild<QLineEdit *>("dbedt_Code")->text(), prefilled);
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("oldCode"); // empty: adding
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message");
        QTest::newRow("bracket in the name") << ""
                                             << "A05"
                                             << "发票(新)"
                                             << "类别名称中包含了不规则字符（'('')'）!";
        QTest::newRow("bracket before the code check") << ""
                                                       << "A0"
                                                       << "发)票"
                                                       << "类别名称中包含了不规则字符（'('')'）!";
        QTest::newRow("two characters") << ""
                                        << "A0"
                                        << "发票"
                                        << "编码不符合规范!";
        QTest::newRow("four characters") << ""
                                         << "A012"
                                         << "发票"
                                         << "编码不符合规范!";
        QTest::newRow("empty code") << ""
                                    << "  "
                                    << "发票"
                                    << "编码不符合规范!";
        QTest::newRow("bracket in the code") << ""
                                             << "A(1"
                                             << "发票"
                                             << "编码不符合规范!";
        QTest::newRow("no parent") << ""
                                   << "Z05"
                                   << "发票"
                                   << "上级编码不存在";
        QTest::newRow("code in use") << ""
                                     << "A01"
                                     << "发票"
                                     << "编码已经存在";
        QTest::newRow("code in use, other case") << ""
                                                 << "a01"
                                                 << "发票"
                                                 << "编码已经存在";
        QTest::newRow("adding without a name") << ""
                                               << "A05"
                                               << " "
                                               << "名称必须填写！";
        QTest::newRow("the catalogue's name") << ""
                                              << "A05"
                                              << "NOTEKIND"
                                              << "“NOTEKIND”是系统自用的名称，请换一个名称！";
        QTest::newRow("the common data's name") << "A02"
                                                << "A02"
                                                << "常用数据"
                                                << "“常用数据”是系统自用的名称，请换一个名称！";
        QTest::newRow("the engine's names") << ""
                                            << "A05"
                                            << "sqlite_master"
                                            << "“sqlite_master”是系统自用的名称，请换一个名称！";
        QTest::newRow("code of a category with kinds") << "A"
                                                       << "B"
                                                       << "物流单据"
                                                       << "非末结点不能修改代码！";
        QTest::newRow("leaf category into its own child") << "X"
                                                          << "X01"
                                                          << "孤类"
                                                          << "上级编码不存在";
        QTest::newRow("leaf category into its child, other case") << "X"
                                                                  << "x01"
                                                                  << "孤类"
                                                                  << "上级编码不存在";
        QTest::newRow("moved under no parent") << "A02"
                                               << "Z02"
                                               << "收款收据"
                                               << "上级编码不存在";
        QTest::newRow("changed to a code in use") << "A02"
                                                  << "A01"
                                                  << "收款收据"
                                                  << "编码已经存在";
        QTest::newRow("letter case alone is a change") << "A02"
                                                       << "a02"
                                                       << "收款收据"
                                                       << "编码已经存在";
        QTest::newRow("name emptied") << "A02"
                                      << "A02"
                                      << "  "
                                      << "名称必须填写！";
    }
    void refusals()
    {
        QFETCH(QString, oldCode);
        QFETCH(QString, code);
        QFETCH(QString, name);
        QFETCH(QString, message);
        TestDatabase t;
        t.exec("INSERT INTO noteKind (kindCode, kindName, layer) VALUES ('X', '孤类', 1);");
        MessageRecorder messages;
        TMainForm form;
        const QStringList before = noteKindRows(t.db());
        const QStringList tree = [&] {
            QStringList lines;
            for (QTreeWidgetItemIterator it(form.tree()); *it; ++it)
                lines << (*it)->text(0);
            return lines;
        }();
        TfmNoteSrt dialog(&form, oldCode, oldCode.isEmpty() ? -1 : form.KindIdOf(oldCode));
        type(dialog, code, name);
        QVERIFY(!dialog.SaveKind());
        QCOMPARE(messages.texts(), QStringList{message});
        QCOMPARE(messages.shown().first().title, QString("单据信息维护"));
        QCOMPARE(messages.shown().first().kind, Messages::Kind::Information);
        QCOMPARE(noteKindRows(t.db()), before);
        QStringList after;
        for (QTreeWidgetItemIterator it(form.tree()); *it; ++it)
            after << (*it)->text(0);
        QCOMPARE(after, tree);
        QCOMPARE(dialog.findChild<QLineEdit *>("dbedt_Code")->text(), code); // typed values stay
    }

    void addsAKindUnderItsCategory()
    {
        TestDatabase t;
        MessageRecorder messages;
        TMainForm form;
        select(form, "(A)物流单据");
        TfmNoteSrt dialog(&form, QString(), -1);
        type(dialog, "A05", " 发票 ", true);
        QVERIFY(dialog.SaveKind());
        QCOMPARE(form.tree()->currentItem()->text(0), QString("(A05)发票"));
        QCOMPARE(parentText(form, "(A05)发票"), QString("(A)物流单据"));
        QCOMPARE(
            GetSqlValue(t.db(),
                        "SELECT kindName || '|' || layer || '|' || parentId || '|' || hasDetail "
                        "FROM noteKind WHERE kindCode = 'A05'"),
            QString("发票|2|%1|1").arg(idOf(t.db(), "A")));
        QVERIFY(messages.shown().isEmpty());
        QCOMPARE(form.KindIdOf("A05"),
                 idOf(t.db(), "A05").toInt()); // the kind table was read again
    }

    void addsACategoryUnderTheRoot()
    {
        TestDatabase t;
        TMainForm form;
        select(form, "所有模板");
        TfmNoteSrt dialog(&form, QString(), -1);
        type(dialog, "B", "票据");
        QVERIFY(dialog.SaveKind());
        QCOMPARE(parentText(form, "(B)票据"), QString("所有模板"));
        QCOMPARE(GetSqlValue(
                     t.db(),
                     "SELECT layer || '|' || quote(parentId) FROM noteKind WHERE kindCode = 'B'"),
                 QString("1|NULL"));
    }

    void changingTheNameChangesTheNodeInPlace()
    {
        TestDatabase t;
        TMainForm form;
        TfmNoteSrt dialog(&form, "A02", form.KindIdOf("A02"));
        QCOMPARE(dialog.findChild<QLineEdit *>("dbedt_Name")->text(), QString("收款收据"));
        type(dialog, "A02", "收据");
        QVERIFY(dialog.SaveKind());
        QCOMPARE(parentText(form, "(A02)收据"), QString("(A)物流单据"));
        QCOMPARE(
            form.tree()->findItems("(A02)收款收据", Qt::MatchExactly | Qt::MatchRecursive).size(),
            0);
        QCOMPARE(GetSqlValue(t.db(), "SELECT kindName FROM noteKind WHERE kindCode = 'A02'"),
                 QString("收据"));
    }

    void changingTheCodeMovesTheNode()
    {
        TestDatabase t;
        t.exec("INSERT INTO noteKind (kindCode, kindName, layer) VALUES ('B', '票据', 1);");
        TMainForm form;
        TfmNoteSrt dialog(&form, "A02", form.KindIdOf("A02"));
        QVERIFY(!dialog.findChild<QCheckBox *>("cbHasDetail")->isChecked());
        type(dialog, "B01", "收款收据", true);
        QVERIFY(dialog.SaveKind());
        QCOMPARE(form.tree()->currentItem()->text(0), QString("(B01)收款收据"));
        QCOMPARE(parentText(form, "(B01)收款收据"), QString("(B)票据"));
        QVERIFY(!form.FindKindNode("A02"));
        QCOMPARE(GetSqlValue(t.db(),
                             "SELECT parentId || '|' || layer || '|' || hasDetail FROM noteKind "
                             "WHERE kindCode = 'B01'"),
                 idOf(t.db(), "B") + "|2|1");
    }

    void aKindBecomingACategoryLosesItsParent()
    {
        TestDatabase t;
        TMainForm form;
        TfmNoteSrt dialog(&form, "A02", form.KindIdOf("A02"));
        type(dialog, "C", "收款收据");
        QVERIFY(dialog.SaveKind());
        QCOMPARE(parentText(form, "(C)收款收据"), QString("所有模板"));
        QCOMPARE(GetSqlValue(
                     t.db(),
                     "SELECT quote(parentId) || '|' || layer FROM noteKind WHERE kindCode = 'C'"),
                 QString("NULL|1"));
    }

    void deletingAKindKeepsATableAnotherKindStillUses()
    {
        TestDatabase t;
        t.exec("INSERT INTO 收款收据 (交款单位) VALUES ('甲');");
        t.exec("CREATE TABLE Receipt (ID INTEGER PRIMARY KEY AUTOINCREMENT, 名称 Text (10));\n"
               "INSERT INTO Receipt (名称) VALUES ('乙');");
        RunSql(t.db(),
               "INSERT INTO noteKind (kindCode, kindName, parentId, layer, hasDetail) VALUES "
               "('A03', '收款收据', ?, 2, 0), ('A04', 'Receipt', ?, 2, 0), ('A05', 'RECEIPT', ?, "
               "2, 0)",
               {idOf(t.db(), "A"), idOf(t.db(), "A"), idOf(t.db(), "A")});
        const QString records = GetSqlValue(t.db(), "SELECT count(*) FROM 收款收据");
        MessageRecorder messages;
        TMainForm form;
        for (const char *node : {"(A03)收款收据", "(A05)RECEIPT"}) {
            messages.clear();
            select(form, node);
            form.action("actDelNode")->trigger();
            const QString table = QString(node).mid(5);
            QCOMPARE(messages.texts(),
                     QStringList({"你确信要删除该记录吗？",
                                  "数据表“" + table +
                                      "”还有同名的其他单据在使用，所以保留了它和其中的记录。"}));
        }
        QCOMPARE(GetSqlValue(t.db(), "SELECT count(*) FROM 收款收据"), records);
        QCOMPARE(GetSqlValue(t.db(), "SELECT 名称 FROM Receipt"), QString("乙"));
        QCOMPARE(
            GetSqlValue(t.db(), "SELECT count(*) FROM noteKind WHERE kindCode IN ('A03', 'A05')"),
            QString("0"));

        // The last kind of that name takes its table with it.
        messages.clear();
        select(form, "(A02)收款收据");
        form.action("actDelNode")->trigger();
        QCOMPARE(messages.texts(), QStringList({"你确信要删除该记录吗？"}));
        QVERIFY(!TableExists(t.db(), "收款收据"));
    }

    void aStoringErrorIsShown()
    {
        TestDatabase t;
        t.exec("CREATE TRIGGER 满 BEFORE INSERT ON noteKind BEGIN SELECT RAISE(ABORT, '磁盘已满'); "
               "END;");
        MessageRecorder messages;
        TMainForm form;
        select(form, "(A)物流单据");
        TfmNoteSrt dialog(&form, QString(), -1);
        type(dialog, "A05", "发票");
        QVERIFY(!dialog.SaveKind());
        QCOMPARE(messages.shown().size(), 1);
        QCOMPARE(messages.shown().first().kind, Messages::Kind::Error);
        QCOMPARE(messages.shown().first().title, QString("单据信息维护"));
        QVERIFY2(messages.lastText().contains("磁盘已满"), qPrintable(messages.lastText()));
        QVERIFY(!form.FindKindNode("A05"));
    }
};

QTEST_MAIN(TestKindDialog)
#include "tst_kinddialog.moc"
