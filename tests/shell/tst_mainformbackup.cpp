#include "support/DatabaseFileValue.h"
#include "support/FileDialogAnswers.h"
#include "support/MainFormTree.h"
#include "support/MessageRecorder.h"
#include "support/TestDatabase.h"
#include "support/TestFiles.h"

#include "shell/TMainForm.h"
#include "store/DataSet.h"
#include "store/SqlHelpers.h"
#include "widgets/TChildForm.h"

#include <QAction>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// The kind names a database file holds.
QString kindsIn(const QString &path)
{
    return valueInDatabaseFile(path, "SELECT group_concat(kindName, ',') FROM "
                                     "(SELECT kindName FROM noteKind ORDER BY kindCode)");
}

void openThreeTabs(TMainForm &form)
{
    select(form, "(A01)快递运单");
    form.action("actOpen")->trigger();
    select(form, "(A02)收款收据");
    form.action("actOpen")->trigger();
    form.action("actBaseTable")->trigger();
    QCOMPARE(form.tabs()->count(), 3);
}

const QString AddKind = "INSERT INTO noteKind (kindCode, kindName, parentId, layer) VALUES "
                        "('A03', '后加的', (SELECT ID FROM noteKind WHERE kindCode = 'A'), 2);";

} // namespace

class TestMainFormBackup : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void backingUpTwice()
    {
        TestDatabase t;
        MessageRecorder messages;
        FileDialogAnswers dialogs;
        TMainForm form;
        QTemporaryDir backup;
        const QString notes = t.folder() + "/Notes/";
        writeFile(notes + ".hidden.fr3", "h");

        dialogs.answer(backup.path());
        form.action("actBackup")->trigger();
        QCOMPARE(dialogs.requests().size(), 1);
        QCOMPARE(dialogs.requests()[0].kind, FileDialogs::Kind::Folder);
        QCOMPARE(dialogs.requests()[0].caption, QString("请选择备份目的文件夹"));
        QVERIFY(dialogs.requests()[0].canCreateFolders);
        QCOMPARE(kindsIn(backup.filePath("notedb.db")), QString("物流单据,快递运单,收款收据"));
        QCOMPARE(contentOf(backup.filePath("Notes/A01_1.fr3")), contentOf(notes + "A01_1.fr3"));
        QCOMPARE(contentOf(backup.filePath("Notes/.hidden.fr3")), QByteArray("h"));
        QCOMPARE(messages.shown().size(), 1);
        QVERIFY(messages.lastText().startsWith("备份成功！"));
        QVERIFY(messages.lastText().contains("复制了2个"));

        // Second time: a new kind, a changed template, a new template; the old database kept.
        const QByteArray firstTemplate = contentOf(notes + "A01_1.fr3");
        const QByteArray firstDatabase = contentOf(backup.filePath("notedb.db"));
        t.exec(AddKind);
        writeFile(notes + "A01_1.fr3", "changed");
        writeFile(notes + "A01_2.fr3", "second");
        messages.clear();
        messages.setAnswer(false);
        dialogs.answer(backup.path());
        form.action("actBackup")->trigger();
        QCOMPARE(messages.shown().size(), 2);
        QCOMPARE(messages.shown()[0].kind, Messages::Kind::YesNo);
        QCOMPARE(contentOf(backup.filePath("notedb.db")), firstDatabase);
        QCOMPARE(contentOf(backup.filePath("Notes/A01_1.fr3")), firstTemplate);
        QCOMPARE(contentOf(backup.filePath("Notes/A01_2.fr3")), QByteArray("second"));
        const QString report = messages.lastText();
        QVERIFY2(!report.contains("成功"), qPrintable(report));
        QVERIFY(report.contains("数据库没有备份"));
        QVERIFY(report.contains("复制了1个"));
        QVERIFY(report.contains("2个因备份文件夹中已有同名文件而没有复制"));

        // Third time, Yes: the database is replaced by the current one.
        messages.clear();
        messages.setAnswer(true);
        dialogs.answer(backup.path());
        form.action("actBackup")->trigger();
        QCOMPARE(kindsIn(backup.filePath("notedb.db")),
                 QString("物流单据,快递运单,收款收据,后加的"));
        QVERIFY(messages.lastText().startsWith("备份成功！"));
        QCOMPARE(QDir(backup.path()).entryList(QDir::Files), QStringList({"notedb.db"}));
    }

    void backupOfAnOpenDatabaseIsWhole()
    {
        // A writer holding an open transaction on its own connection: the backup is the
        // database as committed, whole and readable.
        TestDatabase t;
        MessageRecorder messages;
        FileDialogAnswers dialogs;
        TMainForm form;
        QSqlDatabase writer = QSqlDatabase::addDatabase("QSQLITE", "writer");
        writer.setDatabaseName(t.folder() + "/notedb.db");
        QVERIFY(writer.open());
        QVERIFY(writer.transaction());
        QSqlQuery insert(writer);
        QVERIFY(insert.exec("INSERT INTO \"收款收据\" (\"交款单位\") VALUES ('未提交')"));
        QTemporaryDir backup;
        dialogs.answer(backup.path());
        form.action("actBackup")->trigger();
        writer.rollback();
        insert.finish();
        writer.close();
        writer = QSqlDatabase();
        QSqlDatabase::removeDatabase("writer");
        QVERIFY(messages.lastText().startsWith("备份成功！"));
        const QString copy = backup.filePath("notedb.db");
        QCOMPARE(valueInDatabaseFile(copy, "PRAGMA integrity_check"), QString("ok"));
        QCOMPARE(valueInDatabaseFile(copy, "SELECT count(*) FROM \"收款收据\""), QString("2"));
    }

    void restoringWithoutNotes()
    {
        TestDatabase t;
        MessageRecorder messages;
        FileDialogAnswers dialogs;
        TMainForm form;
        QTemporaryDir backup;
        QVERIFY(QFile::copy(t.folder() + "/notedb.db", backup.filePath("notedb.db")));
        t.exec(AddKind);
        form.action("actRefreshTree")->trigger();
        QVERIFY(treeTexts(form).contains("(A03)后加的"));
        const QByteArray replaced = contentOf(t.folder() + "/notedb.db");

        dialogs.answer(backup.path());
        form.action("actRestore")->trigger();
        QCOMPARE(dialogs.requests()[0].caption, QString("请选择备份源文件夹"));
        QVERIFY(!dialogs.requests()[0].canCreateFolders);
        QVERIFY(messages.lastText().startsWith("恢复成功！"));
        QVERIFY(!treeTexts(form).contains("(A03)后加的"));
        QVERIFY(treeTexts(form).contains("(A02)收款收据"));
        // The database replaced waits beside the restored one under a dated name.
        const QStringList kept = QDir(t.folder()).entryList({"notedb_*.db"}, QDir::Files);
        QCOMPARE(kept.size(), 1);
        QVERIFY(QRegularExpression("^notedb_\\d{8}_\\d{6}\\.db$").match(kept[0]).hasMatch());
        QCOMPARE(contentOf(t.folder() + "/" + kept[0]), replaced);
        QVERIFY(messages.lastText().contains(kept[0]));
        // The restored database is the one in use.
        QCOMPARE(GetSqlValue(t.db(), "SELECT count(*) FROM noteKind"), QString("3"));
    }

    void restoringKeepsLocalTemplates()
    {
        TestDatabase t;
        MessageRecorder messages;
        FileDialogAnswers dialogs;
        TMainForm form;
        QTemporaryDir backup;
        QVERIFY(QFile::copy(t.folder() + "/notedb.db", backup.filePath("notedb.db")));
        writeFile(backup.filePath("Notes/A01_1.fr3"), "from the backup");
        writeFile(backup.filePath("Notes/A02_1.fr3"), "new here");
        const QByteArray local = contentOf(t.folder() + "/Notes/A01_1.fr3");
        dialogs.answer(backup.path());
        form.action("actRestore")->trigger();
        QCOMPARE(contentOf(t.folder() + "/Notes/A01_1.fr3"), local);
        QCOMPARE(contentOf(t.folder() + "/Notes/A02_1.fr3"), QByteArray("new here"));
        QVERIFY(messages.lastText().contains("复制了1个，1个因本机已有同名文件而没有复制"));
    }

    void rootFolderIsRefused_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("backup") << "actBackup";
        QTest::newRow("restore") << "actRestore";
    }
    void rootFolderIsRefused()
    {
        QFETCH(QString, command);
        TestDatabase t;
        MessageRecorder messages;
        FileDialogAnswers dialogs;
        TMainForm form;
        const QByteArray before = contentOf(t.folder() + "/notedb.db");
        dialogs.answer("/");
        form.action(command)->trigger();
        QCOMPARE(messages.texts(), QStringList({"请选择一个文件夹！"}));
        QVERIFY(!QFile::exists("/notedb.db"));
        QCOMPARE(contentOf(t.folder() + "/notedb.db"), before);
    }

    void programFolderIsRefused()
    {
        TestDatabase t;
        MessageRecorder messages;
        FileDialogAnswers dialogs;
        TMainForm form;
        const QByteArray before = contentOf(t.folder() + "/notedb.db");
        dialogs.answer(t.folder());
        form.action("actBackup")->trigger();
        QCOMPARE(messages.shown().size(), 1);
        QCOMPARE(contentOf(t.folder() + "/notedb.db"), before);
        QCOMPARE(QDir(t.folder()).entryList(QDir::Files).filter("notedb").size(), 1);
    }

    void folderWithoutDatabase()
    {
        TestDatabase t;
        MessageRecorder messages;
        FileDialogAnswers dialogs;
        TMainForm form;
        QTemporaryDir empty;
        dialogs.answer(empty.path());
        form.action("actRestore")->trigger();
        QCOMPARE(messages.texts(), QStringList({"所选文件夹不存在数据库文件！"}));
        QVERIFY(treeTexts(form).contains("(A02)收款收据"));
        form.action("actRefreshTree")->trigger(); // the connection still works
        QCOMPARE(messages.shown().size(), 1);
    }

    void notADatabaseReplacesNothing_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("text") << QByteArray("这不是数据库\n");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("truncated database") << QByteArray("SQLite format 3\0\x10\0", 19);
        QTest::newRow("other database") << QByteArray("other");
    }
    void notADatabaseReplacesNothing()
    {
        QFETCH(QByteArray, content);
        TestDatabase t;
        MessageRecorder messages;
        FileDialogAnswers dialogs;
        TMainForm form;
        openThreeTabs(form);
        QTemporaryDir backup;
        if (content == "other") {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "other");
            db.setDatabaseName(backup.filePath("notedb.db"));
            QVERIFY(db.open());
            RunSql(db, "CREATE TABLE notes (ID INTEGER PRIMARY KEY)");
            db.close();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase("other");
        } else {
            writeFile(backup.filePath("notedb.db"), content);
        }
        writeFile(backup.filePath("Notes/X01_1.fr3"), "x");
        const QString program = t.folder() + "/notedb.db";
        const QByteArray before =
            QCryptographicHash::hash(contentOf(program), QCryptographicHash::Sha256);
        const QStringList filesBefore = QDir(t.folder()).entryList(QDir::Files);
        dialogs.answer(backup.path());
        form.action("actRestore")->trigger();
        QCOMPARE(messages.shown().size(), 1);
        QCOMPARE(messages.shown()[0].kind, Messages::Kind::Error);
        QCOMPARE(QCryptographicHash::hash(contentOf(program), QCryptographicHash::Sha256), before);
        QCOMPARE(QDir(t.folder()).entryList(QDir::Files), filesBefore);
        QVERIFY(!QFile::exists(t.folder() + "/Notes/X01_1.fr3"));
        QCOMPARE(form.tabs()->count(), 3);
    }

    void backupClosesTheActiveTabRestoreAll()
    {
        TestDatabase t;
        MessageRecorder messages;
        FileDialogAnswers dialogs;
        TMainForm form;
        openThreeTabs(form);
        form.tabs()->setCurrentIndex(1);
        QTemporaryDir backup;
        dialogs.answer(backup.path());
        form.action("actBackup")->trigger();
        QCOMPARE(form.tabs()->count(), 2);
        QCOMPARE(form.tabs()->tabText(0), QString("快递运单"));
        QCOMPARE(form.tabs()->tabText(1), QString("基础数据"));

        select(form, "(A02)收款收据");
        form.action("actOpen")->trigger();
        QCOMPARE(form.tabs()->count(), 3);
        dialogs.answer(backup.path());
        form.action("actRestore")->trigger();
        QCOMPARE(form.tabs()->count(), 0);
        QVERIFY(messages.lastText().startsWith("恢复成功！"));
        QVERIFY(!form.action("actClose")->isEnabled());
    }

    void rowBeingTypedGoesIntoTheReplacedDatabase()
    {
        TestDatabase t;
        MessageRecorder messages;
        FileDialogAnswers dialogs;
        TMainForm form;
        QTemporaryDir backup;
        QVERIFY(QFile::copy(t.folder() + "/notedb.db", backup.filePath("notedb.db")));
        select(form, "(A02)收款收据");
        form.action("actOpen")->trigger();
        DataSet *records = form.activeChild()->mainDataSet();
        records->append();
        records->setFieldValue("交款单位", "正在录入");
        QCOMPARE(records->state(), DataSet::State::Insert);
        dialogs.answer(backup.path());
        form.action("actRestore")->trigger();
        QVERIFY(messages.lastText().startsWith("恢复成功！"));
        const QStringList kept = QDir(t.folder()).entryList({"notedb_*.db"}, QDir::Files);
        QCOMPARE(kept.size(), 1);
        QCOMPARE(valueInDatabaseFile(
                     t.folder() + "/" + kept[0],
                     "SELECT count(*) FROM \"收款收据\" WHERE \"交款单位\" = '正在录入'"),
                 QString("1"));
    }

    void cancelledPickerDoesNothing()
    {
        TestDatabase t;
        MessageRecorder messages;
        FileDialogAnswers dialogs;
        TMainForm form;
        openThreeTabs(form);
        form.action("actRestore")->trigger();
        QCOMPARE(form.tabs()->count(), 3);
        QVERIFY(messages.shown().isEmpty());
        form.action("actRefreshTree")->trigger();
        QVERIFY(messages.shown().isEmpty());
    }
};

QTEST_MAIN(TestMainFormBackup)
#include "tst_mainformbackup.moc"
