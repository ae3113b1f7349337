#include "support/FileDialogAnswers.h"
#include "support/MessageRecorder.h"
#include "support/PythonServer.h"
#include "support/TestDatabase.h"
#include "support/TestFiles.h"

#include "report/Report.h"
#include "shell/SampleTemplates.h"
#include "shell/TMainForm.h"
#include "shell/TbrowserForm.h"
#include "store/IniFile.h"
#include "store/ProgramFolder.h"
#include "store/QuilletError.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QtTest>

namespace {

// The browser engine refuses to start as root inside its sandbox, and the tests run as root;
// its contexts must be shared before the application exists.
const bool webEngineSetUp = [] {
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox --disable-gpu");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    return true;
}();

QString pageText(QWebEngineView *view)
{
    QString text;
    bool done = false;
    view->page()->toPlainText([&](const QString &t) {
        text = t;
        done = true;
    });
    for (int i = 0; i < 200 && !done; ++i)
        QTest::qWait(100);
    return text;
}

} // namespace

class SupportLink : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
    SupportLink() { QDesktopServices::setUrlHandler("http", this, "open"); }
    ~SupportLink() override { QDesktopServices::unsetUrlHandler("http"); }
public Q_SLOTS:
    void open(const QUrl &url) { urls << url; }
};

class DownloadWindowTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_served;
    std::unique_ptr<PythonServer> m_server;
    std::unique_ptr<TestDatabase> m_folder;

    // Loads url in a new window; false when the browser engine gave no sign of life.
    bool load(TbrowserForm &form, const QString &url, int loads = 1)
    {
        QSignalSpy finished(form.WebBrowser, &QWebEngineView::loadFinished);
        form.navigate(QUrl(url));
        for (int i = 0; i < 600 && finished.size() < loads; ++i)
            QTest::qWait(100);
        return finished.size() >= loads;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(webEngineSetUp);
        writeFile(m_served.filePath("index.html"),
                  "<html><head><meta charset='utf-8'><title>t</title></head><body><p>"
                  "模板列表</p><img src='missing.png'></body></html>");
        writeFile(m_served.filePath("waybill.fr3"), "<QuilletReport version=\"2\"/>\n");
        m_server = std::make_unique<PythonServer>(
            QFINDTESTDATA("../transport/fixtures/http_server.py"), QStringList{m_served.path()});
        QVERIFY2(m_server->isListening(), qPrintable(m_server->errors()));
    }

    void init()
    {
#if defined(__SANITIZE_ADDRESS__)
        // Chromium inside the browser engine frees some objects with a size that
        // AddressSanitizer rejects; the ordinary build runs these tests.
        if (qstrcmp(QTest::currentTestFunction(), "progressText") != 0)
            QSKIP("the browser engine's own code fails AddressSanitizer's sized-delete check");
#endif
        m_folder = std::make_unique<TestDatabase>(TestDatabase::Demo);
        ProgramFolder::set(m_folder->folder());
    }
    void cleanup()
    {
        m_folder.reset();
    }

    void progressText_data()
    {
        QTest::addColumn<double>("current");
        QTest::addColumn<double>("maximum");
        QTest::addColumn<QString>("text");
        QTest::newRow("the example") << 3.0 << 8.0 << "37.5%";
        QTest::newRow("whole") << 100.0 << 100.0 << "100%";
        QTest::newRow("a third, 15 digits") << 1.0 << 3.0 << "33.3333333333333%";
        QTest::newRow("no maximum") << 5.0 << 0.0 << "";
        QTest::newRow("nothing yet") << 0.0 << 100.0 << "";
    }
    void progressText()
    {
        QFETCH(double, current);
        QFETCH(double, maximum);
        QFETCH(QString, text);
        QCOMPARE(loadProgressText(current, maximum), text);
    }

    void reportWithoutMaximumLeavesTheStatusBar()
    {
        QStatusBar status;
        status.showMessage("earlier");
        TbrowserForm form(&status);
        form.WebBrowserProgress(5, 0);
        QCOMPARE(status.currentMessage(), QStringLiteral("earlier"));
        form.WebBrowserProgress(3, 8);
        QCOMPARE(status.currentMessage(), QStringLiteral("37.5%"));
        form.WebBrowserDocumentComplete(true);
        QCOMPARE(status.currentMessage(), QString());
    }

    void pageLoadShowsProgressThenClears()
    {
        QStatusBar status;
        QSignalSpy messages(&status, &QStatusBar::messageChanged);
        TbrowserForm form(&status);
        form.show();
        if (!load(form, m_server->url("index.html")))
            QSKIP("the browser engine did not start in this headless session");
        QStringList shown;
        for (const auto &m : messages)
            shown << m.first().toString();
        QVERIFY2(shown.filter(QRegularExpression("^\\d+(\\.\\d+)?%$")).size() >= 1,
                 qPrintable(shown.join('|')));
        QCOMPARE(status.currentMessage(), QString());
        QVERIFY(pageText(form.WebBrowser).contains(QStringLiteral("模板列表")));
    }

    void unreachablePageListsTheSamples()
    {
        QStatusBar status;
        TbrowserForm form(&status);
        form.show();
        if (!load(form, "http://127.0.0.1:1/templates/", 2))
            QSKIP("the browser engine did not start in this headless session");
        const QString text = pageText(form.WebBrowser);
        QVERIFY2(text.contains(QStringLiteral("无法打开单据模板下载页面")), qPrintable(text));
        for (const char *name : {"快递运单", "收据", "转账凭证"}) {
            QVERIFY2(text.contains(QString::fromUtf8(name)), name);
            QVERIFY(QFile::exists(
                QDir(TbrowserForm::downloadFolder()).filePath(QString::fromUtf8(name) + ".fr3")));
        }
    }

    void offeredTemplateIsSavedWhereTheUserSays()
    {
        FileDialogAnswers files;
        const QString target = QDir(TbrowserForm::downloadFolder()).filePath("我的运单.fr3");
        files.answer(target);
        QStatusBar status;
        TbrowserForm form(&status);
        form.show();
        form.navigate(QUrl(m_server->url("waybill.fr3")));
        QTRY_VERIFY_WITH_TIMEOUT(status.currentMessage().startsWith(QStringLiteral("模板")) ||
                                     !files.requests().isEmpty(),
                                 60000);
        if (files.requests().isEmpty())
            QSKIP("the browser engine did not start in this headless session");
        QCOMPARE(files.requests().first().kind, FileDialogs::Kind::Save);
        QCOMPARE(files.requests().first().directory,
                 QDir(TbrowserForm::downloadFolder()).filePath("waybill.fr3"));
        QTRY_COMPARE_WITH_TIMEOUT(status.currentMessage(),
                                  QStringLiteral("模板已保存到 %1").arg(target), 30000);
        QFile saved(target);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), QByteArray("<QuilletReport version=\"2\"/>\n"));
    }

    void shippedSamplesOpenInTheEngine()
    {
        const QStringList samples = SampleTemplates::list();
        QCOMPARE(samples.size(), 3);
        for (const QString &name : samples) {
            QFile f(name);
            QVERIFY(f.open(QIODevice::ReadOnly));
            Report report;
            try {
                report.loadFromBytes(f.readAll());
            } catch (const QuilletError &e) {
                QFAIL(qPrintable(name + ": " + e.message() + " " + e.detail()));
            }
        }
    }

    void downloadTwiceOpensTwoWindows()
    {
        IniFile(ProgramFolder::settingsPath())
            .writeValues("Maker", {{"DownloadPage", m_server->url("index.html")},
                                   {"VersionFile", "http://127.0.0.1:1/qlver.inf"}});
        MessageRecorder messages;
        TMainForm main;
        QVERIFY(!main.action("actClose")->isEnabled());
        main.action("actDownTPL")->trigger();
        main.action("actDownTPL")->trigger();
        QList<TbrowserForm *> windows;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *b = qobject_cast<TbrowserForm *>(w))
                windows << b;
        QCOMPARE(windows.size(), 2);
        QCOMPARE(windows[0]->windowTitle(), QStringLiteral("单据模板下载"));
        QVERIFY(windows[0]->isVisible() && windows[1]->isVisible());
        QVERIFY(main.action("actClose")->isEnabled());
        for (auto *w : windows)
            w->close(); // the close box destroys it
        const auto browsersLeft = [] {
            int n = 0;
            for (QWidget *w : QApplication::topLevelWidgets())
                n += qobject_cast<TbrowserForm *>(w) != nullptr;
            return n;
        };
        QTRY_COMPARE(browsersLeft(), 0);
        QCOMPARE(messages.texts(), QStringList()); // the failed update check says nothing
    }

    void qqOpensTheSupportLink()
    {
        IniFile(ProgramFolder::settingsPath())
            .writeValues("Maker", {{"Support", "http://127.0.0.1:9/qq"},
                                   {"VersionFile", "http://127.0.0.1:1/qlver.inf"}});
        MessageRecorder messages;
        SupportLink opened;
        TMainForm main;
        main.action("actQQ")->trigger();
        QCOMPARE(opened.urls, QList<QUrl>{QUrl("http://127.0.0.1:9/qq")});
    }
};

QTEST_MAIN(DownloadWindowTest)
#include "tst_downloadwindow.moc"
