#include "support/FileDialogAnswers.h"
#include "support/MessageRecorder.h"
#include "support/TestDatabase.h"

#include "shell/THelpForm.h"
#include "shell/TMainForm.h"
#include "store/IniFile.h"

#include <QAction>
#include <QDesktopServices>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextBrowser>
#include <QToolBar>
#include <QtTest>

namespace {

QString option(const TestDatabase &t, const QString &key)
{
    return IniFile(t.folder() + "/GridWidth.ini").readString("Option", key, "(none)");
}

// Qt writes no GIF: a one-pixel GIF is written byte by byte.
const QByteArray OnePixelGif("GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\x00\x00\x00\x00\x00"
                             "!\xf9\x04\x00\x00\x00\x00\x00,\x00\x00\x00\x00\x01\x00\x01"
                             "\x00\x00\x02\x02D\x01\x00;",
                             43);

QString writePicture(const QTemporaryDir &dir, const QString &name, const char *format)
{
    if (qstrcmp(format, "GIF") == 0) {
        QFile gif(dir.filePath(name));
        if (gif.open(QIODevice::WriteOnly))
            gif.write(OnePixelGif);
        return gif.fileName();
    }
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::red);
    const QString path = dir.filePath(name);
    image.save(path, format);
    return path;
}

// A stand-in program that leaves a mark when it runs.
void fakeProgram(const QTemporaryDir &bin, const QString &name, const QString &mark)
{
    QFile script(bin.filePath(name));
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write(QString("#!/bin/sh\necho started > '%1'\n").arg(mark).toUtf8());
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public Q_SLOTS:
    void open(const QUrl &url) { urls << url; }
};

} // namespace

class TestMainFormTools : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void backgroundPictureOfAnyFormat_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<QSize>("size");
        QTest::newRow("png") << "bg.png" << QByteArray("PNG") << QSize(40, 30);
        QTest::newRow("gif") << "bg.gif" << QByteArray("GIF") << QSize(1, 1);
        QTest::newRow("bmp") << "bg.bmp" << QByteArray("BMP") << QSize(40, 30);
    }
    void backgroundPictureOfAnyFormat()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, format);
        QFETCH(QSize, size);
        TestDatabase t;
        MessageRecorder messages;
        FileDialogAnswers dialogs;
        QTemporaryDir dir;
        const QString path = writePicture(dir, name, format);
        TMainForm form;
        dialogs.answer(path);
        form.action("actBgPic")->trigger();
        QCOMPARE(dialogs.requests().size(), 1);
        QVERIFY(dialogs.requests()[0].filter.contains("*.png"));
        QCOMPARE(option(t, "BgPic"), path);
        const auto *picture = form.findChild<QLabel *>("imgBG");
        QCOMPARE(picture->pixmap().size(), size);
        QVERIFY(messages.shown().isEmpty());
    }

    void pictureThatCannotBeLoaded()
    {
        TestDatabase t;
        MessageRecorder messages;
        FileDialogAnswers dialogs;
        QTemporaryDir dir;
        QFile broken(dir.filePath("scan.jpg"));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("not a picture");
        broken.close();
        TMainForm form;
        dialogs.answer(broken.fileName());
        form.action("actBgPic")->trigger();
        QCOMPARE(messages.shown().size(), 1);
        QCOMPARE(messages.shown()[0].kind, Messages::Kind::Error);
        QVERIFY(messages.lastText().contains("scan.jpg"));
        // Stored all the same: the next start tries it again.
        QCOMPARE(option(t, "BgPic"), broken.fileName());
    }

    void stretchWithoutPictureAppliesToTheNextOne()
    {
        TestDatabase t;
        MessageRecorder messages;
        FileDialogAnswers dialogs;
        QTemporaryDir dir;
        TMainForm form;
        auto *picture = form.findChild<QLabel *>("imgBG");
        QAction *stretch = form.action("actBgStretch");
        QVERIFY(!stretch->isChecked());
        stretch->trigger();
        QVERIFY(stretch->isChecked());
        QCOMPARE(option(t, "BgStretch"), QString("1"));
        dialogs.answer(writePicture(dir, "bg.png", "PNG"));
        form.action("actBgPic")->trigger();
        QVERIFY(picture->hasScaledContents());
        stretch->trigger();
        QCOMPARE(option(t, "BgStretch"), QString("0"));
        QVERIFY(!picture->hasScaledContents());
    }

    void doubleClickOpensTheMakersSite()
    {
        TestDatabase t;
        MessageRecorder messages;
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler("https", &catcher, "open");
        TMainForm form;
        form.show();
        QTest::mouseDClick(form.findChild<QLabel *>("imgBG"), Qt::LeftButton);
        QDesktopServices::unsetUrlHandler("https");
        QCOMPARE(catcher.urls.size(), 1);
    }

    void desktopProgramsFromPath_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("program");
        QTest::newRow("calculator") << "actCalc"
                                    << "xcalc";
        QTest::newRow("text editor") << "actNotepad"
                                     << "mousepad";
    }
    void desktopProgramsFromPath()
    {
        QFETCH(QString, command);
        QFETCH(QString, program);
        TestDatabase t;
        MessageRecorder messages;
        TMainForm form;
        QTemporaryDir bin;
        const QString mark = bin.filePath("mark");
        fakeProgram(bin, program, mark);
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", bin.path().toLocal8Bit());
        form.action(command)->trigger();
        qputenv("PATH", path);
        QTRY_VERIFY(QFile::exists(mark));
        QVERIFY(messages.shown().isEmpty());
    }

    void noDesktopProgramIsTold_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("told");
        QTest::newRow("calculator") << "actCalc"
                                    << "计算器";
        QTest::newRow("text editor") << "actNotepad"
                                     << "文本编辑器";
    }
    void noDesktopProgramIsTold()
    {
        QFETCH(QString, command);
        QFETCH(QString, told);
        TestDatabase t;
        MessageRecorder messages;
        TMainForm form;
        QTemporaryDir empty;
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", empty.path().toLocal8Bit());
        form.action(command)->trigger();
        qputenv("PATH", path);
        QCOMPARE(messages.shown().size(), 1);
        QVERIFY(messages.lastText().contains(told));
    }

    void helpCoversEveryCommand()
    {
        TestDatabase t;
        MessageRecorder messages;
        TMainForm form;
        form.action("actHelp")->trigger();
        auto *help = form.findChild<THelpForm *>();
        QVERIFY(help);
        QVERIFY(help->isVisible());
        form.action("actHelp")->trigger(); // the same window, brought forward
        QCOMPARE(form.findChildren<THelpForm *>().size(), 1);
        const QString guide = help->browser()->document()->toPlainText();
        QVERIFY2(guide.size() > 8000, "a guide, not a placeholder");

        QList<QAction *> commands;
        for (QAction *menu : form.menuBar()->actions())
            commands << menu << menu->menu()->actions();
        commands << form.findChild<QToolBar *>("ToolBar1")->actions();
        for (const char *popup : {"pmTreeview", "pmBgPic"})
            commands << form.findChild<QMenu *>(popup)->actions();
        for (QAction *command : commands) {
            if (command->isSeparator())
                continue;
            QVERIFY2(guide.contains(command->text()), qPrintable(command->text()));
        }
        for (const char *topic :
             {"所有模块", "单据结构", "过滤", "Excel", "背景图", "校正", "打印机", "备份", "还原",
              "基础数据", "F2", "另存为", "标尺", "撤销", "人民币大写"})
            QVERIFY2(guide.contains(QString::fromUtf8(topic)), topic);
    }

    void helpLinksLeadSomewhere()
    {
        THelpForm help;
        QTextDocument *document = help.browser()->document();
        QStringList anchors, links;
        for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                const QTextCharFormat format = it.fragment().charFormat();
                anchors << format.anchorNames();
                if (format.isAnchor() && !format.anchorHref().isEmpty())
                    links << format.anchorHref();
            }
        }
        QVERIFY(links.size() >= 10);
        for (const QString &link : links) {
            QVERIFY2(link.startsWith('#'), qPrintable(link)); // nothing outside the program
            QVERIFY2(anchors.contains(link.mid(1)), qPrintable(link));
        }
    }
};

QTEST_MAIN(TestMainFormTools)
#include "tst_mainformtools.moc"
