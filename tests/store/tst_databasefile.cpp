#include "support/TestDatabase.h"
#include "support/TestFiles.h"

#include "store/DatabaseFile.h"
#include "store/SqlHelpers.h"
#include "store/StoreError.h"

#include <QDir>
#include <QFile>
#include <QtTest>

namespace {

// The demo database of a fresh program folder, copied to path with the connection closed.
void copyDemoTo(const TestDatabase &t, const QString &path)
{
    QVERIFY(QFile::copy(t.folder() + "/notedb.db", path));
}

} // namespace

class TestDatabaseFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void refusesWhatIsNoProgramDatabase_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("text") << "text";
        QTest::newRow("empty file") << "empty";
        QTest::newRow("header only") << "header";
        QTest::newRow("database without noteKind") << "other";
        QTest::newRow("damaged pages") << "damaged";
        QTest::newRow("missing file") << "missing";
    }
    void refusesWhatIsNoProgramDatabase()
    {
        QFETCH(QString, kind);
        TestDatabase t;
        QTemporaryDir dir;
        const QString path = dir.filePath("notedb.db");
        if (kind == "text") {
            writeFile(path, "ID,名称\n1,甲\n");
        } else if (kind == "empty") {
            writeFile(path, QByteArray());
        } else if (kind == "header") {
            writeFile(path, QByteArray("SQLite format 3\0", 16));
        } else if (kind == "other") {
            RunSql(t.db(), "ATTACH DATABASE '" + path + "' AS other");
            RunSql(t.db(), "CREATE TABLE other.notes (ID INTEGER PRIMARY KEY)");
            RunSql(t.db(), "DETACH DATABASE other");
        } else if (kind == "damaged") {
            copyDemoTo(t, path);
            QByteArray bytes = contentOf(path);
            QVERIFY(bytes.size() > 8192);
            // The second page onwards overwritten: the catalogue's header is intact.
            for (qsizetype i = 4096; i < bytes.size(); ++i)
                bytes[i] = char(i * 7);
            writeFile(path, bytes);
        }
        QVERIFY_THROWS_EXCEPTION(StoreError, DatabaseFile::CheckIsProgramDatabase(path));
    }

    void acceptsTheProgramsDatabase()
    {
        TestDatabase t;
        QTemporaryDir dir;
        copyDemoTo(t, dir.filePath("notedb.db"));
        DatabaseFile::CheckIsProgramDatabase(dir.filePath("notedb.db"));
    }

    void replacedFileIsKeptUnderItsTime()
    {
        TestDatabase t;
        QTemporaryDir dir;
        const QString target = dir.filePath("notedb.db");
        const QString source = dir.filePath("backup.db");
        writeFile(target, "the database in use");
        copyDemoTo(t, source);
        const QDateTime at(QDate(2026, 12, 10), QTime(9, 30, 5));
        QCOMPARE(DatabaseFile::ReplaceWith(target, source, at),
                 dir.filePath("notedb_20261210_093005.db"));
        QCOMPARE(contentOf(dir.filePath("notedb_20261210_093005.db")),
                 QByteArray("the database in use"));
        QCOMPARE(contentOf(target), contentOf(source));
        // A second restore in the same second keeps both earlier files.
        QCOMPARE(DatabaseFile::ReplaceWith(target, source, at),
                 dir.filePath("notedb_20261210_093005_2.db"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 4);
    }

    void refusedReplacementLeavesTheTarget()
    {
        TestDatabase t;
        QTemporaryDir dir;
        const QString target = dir.filePath("notedb.db");
        writeFile(target, "the database in use");
        writeFile(dir.filePath("backup.db"), "not a database");
        QVERIFY_THROWS_EXCEPTION(StoreError,
                                 DatabaseFile::ReplaceWith(target, dir.filePath("backup.db"),
                                                           QDateTime::currentDateTime()));
        QCOMPARE(contentOf(target), QByteArray("the database in use"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList({"backup.db", "notedb.db"}));
    }

    void backupReplacesAnOlderOneWhole()
    {
        TestDatabase t;
        QTemporaryDir dir;
        const QString path = dir.filePath("notedb.db");
        writeFile(path, "an older backup");
        RunSql(t.db(), "INSERT INTO \"收款收据\" (\"交款单位\") VALUES ('新')");
        DatabaseFile::BackupTo(t.db(), path);
        DatabaseFile::CheckIsProgramDatabase(path);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList({"notedb.db"}));
        RunSql(t.db(), "ATTACH DATABASE '" + path + "' AS copy");
        QCOMPARE(GetSqlValue(t.db(), "SELECT count(*) FROM copy.\"收款收据\""), QString("3"));
        RunSql(t.db(), "DETACH DATABASE copy");
    }

    void backupIntoAFolderThatCannotBeWritten()
    {
        TestDatabase t;
        QVERIFY_THROWS_EXCEPTION(StoreError,
                                 DatabaseFile::BackupTo(t.db(), "/nonexistent/folder/notedb.db"));
    }
};

QTEST_GUILESS_MAIN(TestDatabaseFile)
#include "tst_databasefile.moc"
