#include "support/MessageRecorder.h"
#include "support/PdfText.h"
#include "support/RecordWindowFixture.h"

#include "printer/ReportPrinter.h"
#include "records/FilterControls.h"
#include "records/ReportOutlets.h"
#include "records/TmakeNote.h"
#include "reportui/PrintDialogs.h"
#include "reportui/ReportDesignerWindow.h"
#include "reportui/ReportPreviewWindow.h"
#include "store/DataSet.h"
#include "store/IniFile.h"
#include "store/ProgramFolder.h"
#include "store/SqlHelpers.h"
#include "widgets/RecordGrid.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

// Design, preview and print of the record window over the demo kinds: 快递运单 (A01, a
// template of one page per record over the scanned form; 4 records, the third printed) and
// 收款收据 (A02, no template). The printer is a PDF file read back with poppler; the preview
// and the designer are stand-ins that record what they were given, but for the test of the
// engine's preview window.
class TestRecordOutput : public QObject, private RecordWindowFixture {
    Q_OBJECT

    struct PrintJob {
        int copies = 0;
        QString pdf;
        QList<int> copyOfSheet;     // the hook's copy number, sheet by sheet
        int backgroundsOnPaper = 0; // sheets still carrying a picture after the hook
        QStringList numbers;        // 单号 on the pages sent, page by page
    };
    QTemporaryDir m_printed;
    QList<PrintJob> m_jobs;
    QList<QStringList> m_previews; // texts of each page shown, preview by preview
    int m_previewBackgrounds = 0;  // pages shown with the scanned form
    std::function<void(Report &, const ReportOutlets::SaveHook &)> m_designer;
    QList<bool> m_saveAnswers;

    void installOutlets()
    {
        ReportOutlets outlets;
        outlets.printer = [this](const QList<PreparedPage> &pages, const ReportPrinter::Job &job) {
            PrintJob done;
            done.copies = job.copies;
            done.pdf = m_printed.filePath(QString("job%1.pdf").arg(m_jobs.size()));
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(done.pdf);
            for (const PreparedPage &page : pages)
                for (const PreparedItem &item : page.items)
                    if (item.text.startsWith("YD2026"))
                        done.numbers << item.text;
            ReportPrinter::Job watched = job;
            watched.hook = [&done, &job](ReportPage &page, int copy) {
                job.hook(page, copy);
                done.copyOfSheet << copy;
                done.backgroundsOnPaper += page.background.isEmpty() ? 0 : 1;
            };
            ReportPrinter::print(pages, watched, printer);
            m_jobs << done;
        };
        outlets.preview = [this](QWidget *, Report &report, const ReportOutlets::PreviewHooks &) {
            for (const PreparedPage &page : report.preparedPages()) {
                QStringList texts;
                for (const PreparedItem &item : page.items)
                    texts << item.text;
                m_previews << texts;
                m_previewBackgrounds += page.page.background.isEmpty() ? 0 : 1;
            }
        };
        outlets.designer = [this](QWidget *, Report &report, const ReportOutlets::SaveHook &save) {
            m_designer(report, [this, &save](Report &r, bool saveAs) {
                const bool answer = save(r, saveAs);
                m_saveAnswers << answer;
                return answer;
            });
        };
        ReportOutlets::install(outlets);
    }

    template <typename T> T *child(const char *name) const
    {
        T *w = m_window->findChild<T *>(name);
        if (!w)
            qFatal("no widget %s", name);
        return w;
    }
    // The view's 单号 column.
    QStringList numbersInView() const
    {
        DataSet *ds = m_window->mainDataSet();
        QStringList numbers;
        for (int r = 0; r < ds->rowCount(); ++r)
            numbers << ds->value(r, ds->columnIndex("单号")).toString();
        return numbers;
    }
    // 单号 of the records flagged printed in the database.
    // Every date, the print state chosen (0 未打印, 1 已打印, 2 不限).
    void showAllDates(int printState)
    {
        child<CheckedDateEdit>("datebegin")->setChecked(false);
        child<CheckedDateEdit>("dateEnd")->setChecked(false);
        child<RadioGroup>("rgPrint")->setItemIndex(printState);
        child<QPushButton>("btnSearch")->click();
    }
    // The copies box given a text without storing it, as a box left so would be printed.
    void setCopiesText(const QString &text)
    {
        auto *copies = child<QLineEdit>("edtCopies");
        const QSignalBlocker quiet(copies);
        copies->setText(text);
    }

private Q_SLOTS:
    void init()
    {
        startDatabase();
        m_jobs.clear();
        m_previews.clear();
        m_previewBackgrounds = 0;
        m_saveAnswers.clear();
        m_designer = [](Report &, const ReportOutlets::SaveHook &) {};
        installOutlets();
    }
    void cleanup()
    {
        closeAll();
        ReportOutlets::install({});
    }

    // Every record of the view is printed, in every copy without the scanned form, then
    // flagged; under 未打印 they leave the view, under 已打印 and 不限 they stay.
    void printMarksTheView_data()
    {
        QTest::addColumn<int>("printState");
        QTest::addColumn<QStringList>("printed");
        QTest::addColumn<QStringList>("viewAfter");
        QTest::addColumn<QStringList>("flaggedAfter");
        const QStringList all{"YD20260001", "YD20260002", "YD20260003", "YD20260004"};
        QTest::newRow("未打印") << 0 << QStringList{"YD20260001", "YD20260002", "YD20260004"}
                                << QStringList() << all;
        // The record flagged before is printed again and stays flagged.
        QTest::newRow("已打印") << 1 << QStringList{"YD20260003"} << QStringList{"YD20260003"}
                                << QStringList{"YD20260003"};
        QTest::newRow("不限") << 2 << all << all << all;
    }
    void printMarksTheView()
    {
        QFETCH(int, printState);
        QFETCH(QStringList, printed);
        QFETCH(QStringList, viewAfter);
        QFETCH(QStringList, flaggedAfter);
        MessageRecorder messages;
        open("A01", "快递运单");
        showAllDates(printState);
        QCOMPARE(numbersInView(), printed);

        m_window->PrintReport(); // two copies: the new window's box
        QCOMPARE(messages.texts(), QStringList());
        QCOMPARE(m_jobs.size(), 1);
        const PrintJob &job = m_jobs[0];
        QCOMPARE(job.copies, 2);
        QCOMPARE(PdfText::pageCount(job.pdf), 2 * printed.size());
        QCOMPARE(job.numbers, printed);
        QCOMPARE(PdfText::imageCount(job.pdf), 0);
        QCOMPARE(job.backgroundsOnPaper, 0);
        QList<int> copyOfSheet = QList<int>(printed.size(), 1) + QList<int>(printed.size(), 2);
        QCOMPARE(job.copyOfSheet, copyOfSheet);

        QCOMPARE(numbersInView(), viewAfter);
        QCOMPARE(m_db->flaggedWaybills(), flaggedAfter);
        QVERIFY(m_window->mainDataSet()->isFiltered());
        QVERIFY(m_window->mainGrid()->updatesEnabled());
    }

    void emptyViewPrintsAndMarksNothing()
    {
        MessageRecorder messages;
        open("A01", "快递运单");
        child<QLineEdit>("edtKeyWord")->setText("没有这样的单位");
        child<QPushButton>("btnSearch")->click();
        QCOMPARE(numbersInView(), QStringList());
        m_window->PrintReport();
        QCOMPARE(messages.texts(), QStringList());
        QCOMPARE(m_jobs.size(), 1);
        QCOMPARE(m_jobs[0].numbers, QStringList());
        QCOMPARE(m_db->flaggedWaybills(), QStringList{"YD20260003"});
    }

    // The box as it stands when no settings file exists; a stored value replaces it.
    void copiesFromTheBox_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("storedCopies"); // -1: no settings file
        QTest::addColumn<int>("copies");       // -1: nothing printed
        QTest::addColumn<QString>("message");
        QTest::newRow("0") << "0" << -1 << 0 << "";
        QTest::newRow("-3") << "-3" << -1 << 0 << "";
        QTest::newRow(" 3 ") << " 3 " << -1 << 3 << "";
        QTest::newRow("abc") << "abc" << -1 << -1 << "打印份数“abc”不是有效的整数。";
        QTest::newRow("empty") << "" << -1 << -1 << "打印份数“”不是有效的整数。";
        QTest::newRow("abc, 1 stored") << "abc" << 1 << 1 << "";
    }
    void copiesFromTheBox()
    {
        QFETCH(QString, text);
        QFETCH(int, storedCopies);
        QFETCH(int, copies);
        QFETCH(QString, message);
        MessageRecorder messages;
        if (storedCopies >= 0) {
            IniFile ini(ProgramFolder::settingsPath());
            QVERIFY(ini.writeInteger("Option", "copies", storedCopies));
        }
        open("A01", "快递运单");
        setCopiesText(text);
        m_window->PrintReport();
        QCOMPARE(messages.texts(), message.isEmpty() ? QStringList() : QStringList{message});
        if (copies < 0) {
            QCOMPARE(m_jobs.size(), 0);
            QCOMPARE(m_db->flaggedWaybills(), QStringList{"YD20260003"});
            return;
        }
        QCOMPARE(m_jobs.size(), 1);
        QCOMPARE(m_jobs[0].copies, copies);
        QCOMPARE(m_jobs[0].copyOfSheet.size(), 3 * copies);
        // The print call returned: the view is marked, whatever the count.
        QCOMPARE(m_db->flaggedWaybills().size(), 4);
    }

    void noTemplatePrintsNothingButRefreshes()
    {
        MessageRecorder messages;
        open("A02", "收款收据");
        DataSet *receipts = m_window->mainDataSet();
        receipts->setCurrentRow(1);
        receipts->edit();
        receipts->setFieldValue("交款单位", "打印前输入的");
        m_window->PrintReport();
        QCOMPARE(messages.texts(), QStringList());
        QCOMPARE(m_jobs.size(), 0);
        QCOMPARE(receipts->state(), DataSet::State::Browse);
        QCOMPARE(receipts->currentRow(), 0);
        QCOMPARE(GetSqlValue(m_db->db(), "SELECT 交款单位 FROM 收款收据 WHERE ID = 2"),
                 QString("打印前输入的"));
        QCOMPARE(GetSqlValue(m_db->db(), "SELECT count(*) FROM 收款收据 WHERE 打印标记 <> 0"),
                 QString("0"));
    }

    void noTemplatePreviewTellsTheEnginesMessage()
    {
        MessageRecorder messages;
        open("A02", "收款收据");
        m_window->PreviewReport();
        QCOMPARE(m_previews.size(), 0);
        QCOMPARE(messages.shown().size(), 1);
        QVERIFY(!messages.lastText().isEmpty());
    }

    void previewShowsTheFormAndMarksNothing()
    {
        MessageRecorder messages;
        open("A01", "快递运单");
        m_window->PreviewReport();
        QCOMPARE(messages.texts(), QStringList());
        QCOMPARE(m_previews.size(), 3);
        QCOMPARE(m_previewBackgrounds, 3);
        QCOMPARE(m_jobs.size(), 0);
        QCOMPARE(m_db->flaggedWaybills(), QStringList{"YD20260003"});
        QCOMPARE(numbersInView(), QStringList({"YD20260001", "YD20260002", "YD20260004"}));
    }

    void pendingEditIsPostedBeforeOutput()
    {
        MessageRecorder messages;
        open("A01", "快递运单");
        DataSet *waybills = m_window->mainDataSet();
        waybills->edit();
        waybills->setFieldValue("收货单位", "预览前输入的单位");
        m_window->PreviewReport();
        QCOMPARE(messages.texts(), QStringList());
        QCOMPARE(m_previews.size(), 3);
        QVERIFY2(m_previews[0].contains("预览前输入的单位"), qPrintable(m_previews[0].join('|')));
        QCOMPARE(GetSqlValue(m_db->db(), "SELECT 收货单位 FROM 快递运单 WHERE ID = 1"),
                 QString("预览前输入的单位"));
    }

    void designerSaveTakesEffectAtNextPreview()
    {
        MessageRecorder messages;
        open("A01", "快递运单");
        m_designer = [](Report &report, const ReportOutlets::SaveHook &save) {
            QVERIFY(!report.definition().pages.isEmpty()); // the stored template
            for (ReportBand &band : report.definition().pages[0].bands)
                for (ReportObject &object : band.objects)
                    if (object.name == "收货单位")
                        object.text = "模板已改";
            save(report, false);
        };
        m_window->DesignTemplate();
        QCOMPARE(m_saveAnswers, QList<bool>{true});
        QCOMPARE(GetSqlValue(m_db->db(), "SELECT modqty FROM noteKind WHERE kindCode = 'A01'"),
                 QString("2"));
        QVERIFY(QFile::exists(ProgramFolder::notesFolder() + "A01_2.fr3"));

        m_window->PreviewReport();
        QCOMPARE(messages.texts(), QStringList());
        QCOMPARE(m_previews.size(), 3);
        for (const QStringList &page : m_previews) {
            QVERIFY(page.contains("模板已改"));
            QVERIFY(!page.contains("北京华联商贸有限公司"));
        }
    }

    void designerOnAKindWithoutTemplateStartsEmpty()
    {
        MessageRecorder messages;
        open("A02", "收款收据");
        int pages = -1;
        m_designer = [&pages](Report &report, const ReportOutlets::SaveHook &) {
            pages = int(report.definition().pages.size());
        };
        m_window->DesignTemplate();
        QCOMPARE(pages, 0);
        QCOMPARE(messages.texts(), QStringList());
    }

    // The history file cannot be written: the user is told which, and the designer counts
    // the template as saved, since the database holds it.
    void designerSaveWithoutHistoryFile()
    {
        MessageRecorder messages;
        QVERIFY(QDir(ProgramFolder::notesFolder()).removeRecursively());
        QFile blocker(ProgramFolder::path() + "Notes");
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        open("A01", "快递运单");
        m_designer = [](Report &report, const ReportOutlets::SaveHook &save) {
            save(report, false);
        };
        m_window->DesignTemplate();
        QCOMPARE(m_saveAnswers, QList<bool>{true});
        QCOMPARE(messages.shown().size(), 1);
        QVERIFY2(messages.lastText().contains("A01_2.fr3"), qPrintable(messages.lastText()));
        QCOMPARE(GetSqlValue(m_db->db(), "SELECT modqty FROM noteKind WHERE kindCode = 'A01'"),
                 QString("2"));
    }

    // The engine's preview window over the view: its print command prints every copy
    // without the scanned form and marks nothing; its edit command opens the designer,
    // and after a save the preview shows the template as saved.
    void enginePreviewPrintsAndEdits()
    {
        MessageRecorder messages;
        ReportOutlets outlets;
        outlets.designer = [](QWidget *, Report &report, const ReportOutlets::SaveHook &save) {
            for (ReportBand &band : report.definition().pages[0].bands)
                for (ReportObject &object : band.objects)
                    if (object.name == "收货单位")
                        object.text = "预览中改的模板";
            save(report, false);
        };
        ReportOutlets::install(outlets);
        const QString printed = m_printed.filePath("from-preview.pdf");
        PrintDialogs::setResponder([&](QPrinter &printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(printed);
            printer.setCopyCount(2);
            return true;
        });
        open("A01", "快递运单");
        QStringList shownAfterEdit;
        QTimer::singleShot(0, [&] {
            auto *preview = qobject_cast<ReportPreviewWindow *>(QApplication::activeModalWidget());
            QVERIFY(preview);
            preview->findChild<QAction *>("actPrint")->trigger();
            preview->findChild<QAction *>("actEdit")->trigger();
            for (const PreparedPage &page : preview->pages())
                for (const PreparedItem &item : page.items)
                    if (item.object.name == "收货单位")
                        shownAfterEdit << item.text;
            preview->reject();
        });
        m_window->PreviewReport();
        PrintDialogs::setResponder({});
        QCOMPARE(messages.texts(), QStringList());
        QCOMPARE(PdfText::pageCount(printed), 6);
        QCOMPARE(PdfText::imageCount(printed), 0);
        QCOMPARE(m_db->flaggedWaybills(), QStringList{"YD20260003"});
        QCOMPARE(shownAfterEdit, QStringList(3, "预览中改的模板"));
        QCOMPARE(GetSqlValue(m_db->db(), "SELECT modqty FROM noteKind WHERE kindCode = 'A01'"),
                 QString("2"));
    }

    // The engine's designer: its Save stores the template through the window's save hook.
    void engineDesignerSaves()
    {
        MessageRecorder messages;
        ReportOutlets::install({});
        open("A01", "快递运单");
        QTimer::singleShot(0, [] {
            auto *designer =
                qobject_cast<ReportDesignerWindow *>(QApplication::activeModalWidget());
            QVERIFY(designer);
            designer->findChild<QAction *>("actSave")->trigger();
            designer->close();
        });
        m_window->DesignTemplate();
        QCOMPARE(GetSqlValue(m_db->db(), "SELECT modqty FROM noteKind WHERE kindCode = 'A01'"),
                 QString("2"));
        QCOMPARE(messages.texts(), QStringList());
    }

    // A record refused while being marked: those marked before stay marked, and the view the
    // user chose is back before the message tells of it.
    void markingStopsAtARefusedRecord()
    {
        open("A01", "快递运单");
        m_db->exec("CREATE TRIGGER refuse BEFORE UPDATE OF 打印标记 ON 快递运单\n"
                   "WHEN NEW.ID = 2 BEGIN SELECT RAISE(ABORT, '记录已锁定'); END;");
        QStringList texts;
        QStringList viewWhenTold;
        Messages::setResponder([&](const Messages::Shown &shown) {
            texts << shown.text;
            viewWhenTold = numbersInView();
            return true;
        });
        m_window->PrintReport();
        Messages::setResponder({});
        QCOMPARE(texts.size(), 1);
        QVERIFY2(texts[0].contains("记录已锁定"), qPrintable(texts[0]));
        QCOMPARE(viewWhenTold, QStringList({"YD20260002", "YD20260004"}));
        QCOMPARE(numbersInView(), QStringList({"YD20260002", "YD20260004"}));
        QCOMPARE(m_window->mainDataSet()->filter(), QString("打印标记=0"));
        QVERIFY(m_window->mainDataSet()->isFiltered());
        QCOMPARE(m_window->mainDataSet()->state(), DataSet::State::Browse);
        QVERIFY(m_window->mainGrid()->updatesEnabled());
        QCOMPARE(m_db->flaggedWaybills(), QStringList({"YD20260001", "YD20260003"}));
    }
};

QTEST_MAIN(TestRecordOutput)
#include "tst_recordoutput.moc"
