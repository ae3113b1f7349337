#include "support/TestDatabase.h"
#include "support/TestFiles.h"

#include "printing/DesignerSave.h"
#include "report/Report.h"
#include "store/ProgramFolder.h"
#include "store/SqlHelpers.h"
#include "store/StoreError.h"
#include "store/TemplateStore.h"

#include <QDir>
#include <QtTest>

// The designer's save: the template into the kind's row, then the same bytes into the
// numbered history file Notes/<kindCode>_<count>.fr3. The demo's 快递运单 (A01) was saved
// once (Notes/A01_1.fr3); 收款收据 (A02) never.
class TestDesignerSave : public QObject {
    Q_OBJECT

    static QVariant cell(const QString &query)
    {
        const DataPacket p = GetSqlData(Database(), query);
        return p.rows.isEmpty() ? QVariant() : p.rows[0][0];
    }
    static QSqlDatabase Database() { return QSqlDatabase::database("conNote"); }
    static QByteArray stored(const QString &code)
    {
        return cell(QString("SELECT template FROM noteKind WHERE kindCode = '%1'").arg(code))
            .toByteArray();
    }
    static int modqty(const QString &code)
    {
        return cell(QString("SELECT modqty FROM noteKind WHERE kindCode = '%1'").arg(code)).toInt();
    }
    static QByteArray fileBytes(const QString &name)
    {
        return contentOf(ProgramFolder::notesFolder() + name);
    }
    // A one-page report whose page is named, so that two designs differ in their bytes.
    static Report design(const QString &pageName)
    {
        Report report;
        ReportPage page;
        page.name = pageName;
        report.definition().pages = {page};
        return report;
    }
    static QString save(const QString &code, const Report &report)
    {
        TemplateStore store(Database(), code);
        store.lookup();
        return saveDesignedTemplate(store, report, ProgramFolder::notesFolder());
    }

private Q_SLOTS:
    void firstSaveIsNumberOne()
    {
        TestDatabase t;
        const QString path = save("A02", design("收据"));
        QCOMPARE(modqty("A02"), 1);
        QCOMPARE(QFileInfo(path).fileName(), QString("A02_1.fr3"));
        QCOMPARE(QFileInfo(path).absolutePath(), QDir(t.folder() + "/Notes").absolutePath());
        QVERIFY(!stored("A02").isEmpty());
        QCOMPARE(fileBytes("A02_1.fr3"), stored("A02"));
        // What was stored loads back as the design.
        Report loaded;
        loaded.loadFromBytes(stored("A02"));
        QCOMPARE(loaded.definition().pages.value(0).name, QString("收据"));
    }

    void twoSavesLeaveTwoIdenticalFiles()
    {
        TestDatabase t;
        const Report report = design("收据");
        save("A02", report);
        save("A02", report);
        QCOMPARE(modqty("A02"), 2);
        QVERIFY(!fileBytes("A02_1.fr3").isEmpty());
        QCOMPARE(fileBytes("A02_1.fr3"), fileBytes("A02_2.fr3"));
        QCOMPARE(fileBytes("A02_2.fr3"), stored("A02"));
    }

    void missingNotesFolderIsCreated()
    {
        TestDatabase t;
        QVERIFY(QDir(t.folder() + "/Notes").removeRecursively());
        save("A01", design("运单"));
        QCOMPARE(modqty("A01"), 2);
        QCOMPARE(fileBytes("A01_2.fr3"), stored("A01"));
    }

    void restoredOlderDatabaseOverwritesLaterNumbers()
    {
        TestDatabase t;
        // Files of saves 2 and 3 made before a database saved once was brought back.
        for (const char *name : {"A01_2.fr3", "A01_3.fr3"}) {
            QFile f(ProgramFolder::notesFolder() + name);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("older design");
        }
        save("A01", design("运单"));
        QCOMPARE(modqty("A01"), 2);
        QCOMPARE(fileBytes("A01_2.fr3"), stored("A01"));
        QCOMPARE(fileBytes("A01_3.fr3"), QByteArray("older design"));
    }

    void kindCodeWithQuote()
    {
        TestDatabase t;
        t.exec("INSERT INTO noteKind (kindCode, kindName, layer) VALUES ('Q''1', '引号单', 2);");
        save("Q'1", design("引号"));
        QCOMPARE(modqty("Q''1"), 1);
        QCOMPARE(fileBytes("Q'1_1.fr3"), stored("Q''1"));
        QCOMPARE(modqty("A02"), 0); // no other row touched
    }

    // The file cannot be written (the Notes name taken by a file, or the history file's
    // name by a folder): the database keeps the new template, the message names the file.
    void historyFileNotWritten_data()
    {
        QTest::addColumn<QString>("obstacle");
        QTest::newRow("Notes is a file") << "Notes";
        QTest::newRow("file name is a folder") << "Notes/A01_2.fr3";
    }
    void historyFileNotWritten()
    {
        QFETCH(QString, obstacle);
        TestDatabase t;
        QDir folder(t.folder());
        if (obstacle == "Notes") {
            QVERIFY(QDir(t.folder() + "/Notes").removeRecursively());
            QFile f(folder.filePath("Notes"));
            QVERIFY(f.open(QIODevice::WriteOnly));
        } else {
            QVERIFY(folder.mkpath(obstacle));
        }
        const Report report = design("运单");
        try {
            save("A01", report);
            QFAIL("the history file was written");
        } catch (const HistoryFileError &e) {
            QVERIFY2(e.message().contains("A01_2.fr3"), qPrintable(e.message()));
            QVERIFY2(e.message().contains("模板已保存到数据库"), qPrintable(e.message()));
        }
        QCOMPARE(modqty("A01"), 2);
        QCOMPARE(stored("A01"), report.saveToBytes());
    }

    void failedPostWritesNoFile()
    {
        TestDatabase t;
        t.exec("CREATE TRIGGER locked BEFORE UPDATE ON noteKind\n"
               "BEGIN SELECT RAISE(ABORT, 'noteKind is locked'); END;");
        const QByteArray before = stored("A01");
        QVERIFY_THROWS_EXCEPTION(StoreError, save("A01", design("运单")));
        QCOMPARE(modqty("A01"), 1);
        QCOMPARE(stored("A01"), before);
        QVERIFY(!QFile::exists(ProgramFolder::notesFolder() + "A01_2.fr3"));
    }
};

QTEST_GUILESS_MAIN(TestDesignerSave)
#include "tst_designersave.moc"
