#include "support/MessageRecorder.h"
#include "support/TestDatabase.h"

#include "records/ReportOutlets.h"
#include "shell/TMainForm.h"

#include <QAction>
#include <QTreeWidget>
#include <QtTest>

// 设计, 预览 and 打印 of the main window reach the record window of the active tab.
class TestMainFormOutput : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void commandsReachTheRecordWindow()
    {
        TestDatabase t;
        MessageRecorder messages;
        QStringList reached;
        ReportOutlets outlets;
        outlets.designer = [&](QWidget *, Report &, const ReportOutlets::SaveHook &) {
            reached << "design";
        };
        outlets.preview = [&](QWidget *, Report &, const ReportOutlets::PreviewHooks &) {
            reached << "preview";
        };
        outlets.printer = [&](const QList<PreparedPage> &pages, const ReportPrinter::Job &) {
            reached << QString("print %1 pages").arg(pages.size());
        };
        ReportOutlets::install(outlets);

        TMainForm form;
        const auto found =
            form.tree()->findItems("(A01)快递运单", Qt::MatchExactly | Qt::MatchRecursive);
        QCOMPARE(found.size(), 1);
        form.tree()->setCurrentItem(found.first());
        form.action("actOpen")->trigger();
        form.action("actDesign")->trigger();
        form.action("actPreview")->trigger();
        form.action("actPrint")->trigger();
        ReportOutlets::install({});
        QCOMPARE(messages.texts(), QStringList());
        QCOMPARE(reached, QStringList({"design", "preview", "print 3 pages"}));
    }
};

QTEST_MAIN(TestMainFormOutput)
#include "tst_mainformoutput.moc"
