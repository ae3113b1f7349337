#include "support/CupsPdfQueue.h"
#include "support/MessageRecorder.h"

#include "shell/TPrinterDlg.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QString lpstatDefault()
{
    QProcess lpstat;
    lpstat.start("lpstat", {"-d"});
    lpstat.waitForFinished();
    return QString::fromLocal8Bit(lpstat.readAllStandardOutput()).trimmed();
}

} // namespace

// The default printer dialog over two real CUPS queues. The choice is stored where CUPS
// keeps a user's default destination; the test gives CUPS a settings folder of its own, so
// that the choice reaches neither the machine's nor another test's default printer.
class TestPrinterDialog : public QObject {
    Q_OBJECT

    QTemporaryDir m_cupsSettings;
    QString m_first, m_second;

private Q_SLOTS:
    void initTestCase()
    {
        CupsPdfQueue first;
        if (!first.isReady())
            QSKIP(qPrintable(first.problem()));
        CupsPdfQueue second("QuilletPDF2");
        if (!second.isReady())
            QSKIP(qPrintable(second.problem()));
        m_first = first.name();
        m_second = second.name();
        // CUPS reads the user's choice from the home folder, and root's from its settings
        // folder: both point at a folder of this test before CUPS is first asked anything.
        qputenv("HOME", m_cupsSettings.path().toLocal8Bit());
        qputenv("CUPS_SERVERROOT", m_cupsSettings.path().toLocal8Bit());
        qunsetenv("LPDEST");
        qunsetenv("PRINTER");
        QCOMPARE(QPrinterInfo::defaultPrinterName(), m_first);
    }

    void dialogShowsThePrintersAndTheCurrentOne()
    {
        TPrinterDlg dialog;
        QCOMPARE(dialog.windowTitle(), QString("设置默认打印机"));
        QVERIFY(dialog.findChild<QLabel *>()->text() == "   请设置您的默认打印机：");
        QComboBox *list = dialog.cbPrinters();
        QCOMPARE(list->objectName(), QString("cbPrinters"));
        QVERIFY(list->isEditable());
        QStringList names;
        for (int i = 0; i < list->count(); ++i)
            names << list->itemText(i);
        QVERIFY(names.contains(m_first));
        QVERIFY(names.contains(m_second));
        QCOMPARE(list->currentText(), m_first);
    }

    void choosingMakesTheDefaultAtOnce()
    {
        MessageRecorder messages;
        {
            TPrinterDlg dialog;
            QComboBox *list = dialog.cbPrinters();
            list->setCurrentIndex(list->findText(m_second));
            // No OK to press: printing and every other program of the user see it now.
            QCOMPARE(QPrinterInfo::defaultPrinterName(), m_second);
            QCOMPARE(lpstatDefault(), "system default destination: " + m_second);
        }
        {
            TPrinterDlg reopened;
            QCOMPARE(reopened.cbPrinters()->currentText(), m_second);
            reopened.cbPrinters()->setCurrentIndex(reopened.cbPrinters()->findText(m_first));
        }
        QCOMPARE(QPrinterInfo::defaultPrinterName(), m_first);
        QCOMPARE(lpstatDefault(), "system default destination: " + m_first);
        QVERIFY(messages.shown().isEmpty());
    }

    void enterMovesOnLikeTab()
    {
        MessageRecorder messages;
        TPrinterDlg dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QComboBox *list = dialog.cbPrinters();
        list->setFocus();
        const int countBefore = list->count();
        list->lineEdit()->selectAll();
        QTest::keyClicks(list->lineEdit(), "NoSuchPrinter");
        QTest::keyClick(list->lineEdit(), Qt::Key_Return);
        QCOMPARE(list->count(), countBefore);
        QCOMPARE(QPrinterInfo::defaultPrinterName(), m_first);
        QVERIFY(dialog.isVisible());
        QCOMPARE(QApplication::focusWidget(), dialog.findChild<QPushButton *>("btnClose"));
        QVERIFY(messages.shown().isEmpty());
    }

    void closeAndEscapeOnlyClose()
    {
        TPrinterDlg dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(dialog.findChild<QPushButton *>("btnClose")->text(), QString("关闭(&C)"));
    }
};

QTEST_MAIN(TestPrinterDialog)
#include "tst_printerdialog.moc"
