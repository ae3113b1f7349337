#include "support/MessageRecorder.h"
#include "support/TestDatabase.h"
#include "support/TestFiles.h"

#include "shell/TAboutBox.h"
#include "shell/TipOfDay.h"
#include "store/IniFile.h"
#include "store/ProgramFolder.h"

#include <QApplication>
#include <QCheckBox>
#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QSet>
#include <QTimer>
#include <QUrlQuery>
#include <QtTest>

namespace {

// Acts on the next modal dialog once it shows, then closes it.
void whenModal(const std::function<void(QDialog *)> &act)
{
    QTimer::singleShot(0, [act] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        act(dialog);
        dialog->reject();
    });
}

} // namespace

// Takes the addresses the program hands to the desktop.
class OpenedUrls : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
    OpenedUrls()
    {
        for (const char *scheme : {"http", "https", "mailto"})
            QDesktopServices::setUrlHandler(scheme, this, "open");
    }
    ~OpenedUrls() override
    {
        for (const char *scheme : {"http", "https", "mailto"})
            QDesktopServices::unsetUrlHandler(scheme);
    }
public Q_SLOTS:
    void open(const QUrl &url) { urls << url; }
};

class HelpDialogsTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TestDatabase> m_folder;

private Q_SLOTS:
    void init()
    {
        m_folder = std::make_unique<TestDatabase>(TestDatabase::Empty);
        ProgramFolder::set(m_folder->folder());
    }
    void cleanup() { m_folder.reset(); }

    void readsTipLinesInTheChineseCodePage()
    {
        // 你好 is C4E3 BAC3 in GBK.
        const QString file = ProgramFolder::file("TipOfDay.ini");
        writeFile(file, "[Other]\r\nx=no\r\n[TipItems]\r\n1=\xc4\xe3\xba\xc3\r\n\r\n"
                        "2=second\r\n[More]\r\n3=no\r\n");
        QCOMPARE(readTipLines(file), (QStringList{QStringLiteral("1=你好"), "2=second"}));
        QCOMPARE(readTipLines(ProgramFolder::file("missing.ini")), QStringList());
    }

    void showsATipLine_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("shown");
        QTest::newRow("key dropped") << "12=打印"
                                     << "打印";
        QTest::newRow("first = only") << "k=a=b"
                                      << "a=b";
        QTest::newRow("backslash-n") << "k=第一句\\n第二句"
                                     << "第一句\n第二句";
        QTest::newRow("backslash-N") << "k=a\\Nb"
                                     << "a\nb";
        QTest::newRow("no key") << "plain"
                                << "plain";
    }
    void showsATipLine()
    {
        QFETCH(QString, line);
        QFETCH(QString, shown);
        QCOMPARE(tipText(line), shown);
    }

    void shippedTipsAreManyAndReadable()
    {
        const QStringList tips = readTipLines(QUILLET_DATA_DIR "/TipOfDay.ini");
        QVERIFY2(tips.size() >= 20, qPrintable(QString::number(tips.size())));
        for (const QString &tip : tips) {
            QVERIFY(tip.contains(u'='));
            QVERIFY2(!tip.contains(QChar::ReplacementCharacter), qPrintable(tip));
            QVERIFY(tipText(tip).size() > 10);
        }
    }

    void firstTipIsRandomAndNextWraps()
    {
        const QStringList tips{"1=a", "2=b", "3=c", "4=d", "5=e"};
        QSet<int> first;
        for (int i = 0; i < 60; ++i)
            first << TTipOfDayForm(tips).tipIndex();
        QVERIFY(first.size() > 1); // one of five on each of 60 showings: never the same 60 times

        TTipOfDayForm form(tips);
        while (form.tipIndex() != 4)
            form.btnNextClick();
        QCOMPARE(form.lblTip->text(), QStringLiteral("e"));
        form.findChild<QPushButton *>("btnNext")->click();
        QCOMPARE(form.tipIndex(), 0);
        QCOMPARE(form.lblTip->text(), QStringLiteral("a"));
    }

    void noTipFileGivesAnEmptyDialog()
    {
        TTipOfDayForm form({});
        QCOMPARE(form.lblTip->text(), QString());
        form.btnNextClick();
        QCOMPARE(form.lblTip->text(), QString());
    }

    void showNextTimeRule()
    {
        IniFile ini(ProgramFolder::settingsPath());
        // At start-up with the flag off, the timer shows nothing.
        bool shown = false;
        {
            QObject guard; // a dialog that shows is closed; none leaves the timer unfired
            QTimer::singleShot(0, &guard, [&shown] {
                if (auto *d = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
                    shown = true;
                    d->reject();
                }
            });
            ShowTipDialog(nullptr, false, false);
        }
        QVERIFY(!shown);

        // Shown with the start-up flag on, ticked; unticking is stored for the next start.
        bool ticked = false;
        whenModal([&ticked](QDialog *d) {
            auto *box = d->findChild<QCheckBox *>("ChkShowNextTime");
            ticked = box->isChecked();
            box->setChecked(false);
        });
        ShowTipDialog(nullptr, false, true);
        QVERIFY(ticked);
        QCOMPARE(ini.readString("Option", "ShowTipOfDay", "?"), QStringLiteral("0"));

        // The flag of this run is unchanged: 每日一帖 shows the box ticked again.
        ticked = false;
        whenModal([&ticked](QDialog *d) {
            ticked = d->findChild<QCheckBox *>("ChkShowNextTime")->isChecked();
        });
        ShowTipDialog(nullptr, true, true);
        QVERIFY(ticked);
        QCOMPARE(ini.readString("Option", "ShowTipOfDay", "?"), QStringLiteral("1"));
    }

    void neverTwoTipDialogsAtOnce()
    {
        bool nested = false;
        whenModal([&nested](QDialog *outer) {
            QTimer::singleShot(0, outer, [&nested, outer] {
                auto *top = qobject_cast<TTipOfDayForm *>(QApplication::activeModalWidget());
                if (top && top != outer) {
                    nested = true;
                    top->reject();
                }
            });
            ShowTipDialog(nullptr, true, true); // one is showing: returns at once
        });
        ShowTipDialog(nullptr, true, true);
        QVERIFY(!nested);
    }

    void aboutBoxShowsVersionAndLinks()
    {
        IniFile ini(ProgramFolder::settingsPath());
        QVERIFY(ini.writeValues("Maker", {{"WebSite", "http://127.0.0.1:9/site"},
                                          {"MailAddress", "maker@quillet.test"}}));
        OpenedUrls opened;
        TAboutBox box;
        QCOMPARE(box.windowTitle(), QStringLiteral("关于"));
        QCOMPARE(box.lblVersion->text(), QStringLiteral("V4.9.0.0"));
        QVERIFY(box.lblWebSite->text().contains("http://127.0.0.1:9/site"));
        QVERIFY(box.lblMail->text().contains("maker@quillet.test"));
        Q_EMIT box.lblWebSite->linkActivated({});
        Q_EMIT box.lblMail->linkActivated({});
        QCOMPARE(opened.urls.size(), 2);
        QCOMPARE(opened.urls[0], QUrl("http://127.0.0.1:9/site"));
        const QUrl mail = opened.urls[1];
        QCOMPARE(mail.scheme(), QStringLiteral("mailto"));
        QCOMPARE(mail.path(), QStringLiteral("maker@quillet.test"));
        QCOMPARE(QUrlQuery(mail).queryItemValue("subject", QUrl::FullyDecoded),
                 QStringLiteral("关于QuilletV4.9.0.0"));
    }
};

QTEST_MAIN(HelpDialogsTest)
#include "tst_helpdialogs.moc"
