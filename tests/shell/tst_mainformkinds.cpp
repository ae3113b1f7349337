#include "support/MessageRecorder.h"
#include "support/TestDatabase.h"

#include "records/TmakeNote.h"
#include "shell/StructureListModel.h"
#include "shell/TMainForm.h"
#include "shell/TStructureDlg.h"
#include "shell/TfmNoteSrt.h"
#include "store/DataSet.h"
#include "store/SqlHelpers.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>
#include <functional>

namespace {

void select(TMainForm &form, const QString &text)
{
    const auto found = form.tree()->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    QVERIFY2(!found.isEmpty(), qPrintable(text));
    form.tree()->setCurrentItem(found.first());
}

// Runs the action; whatever modal dialog it opens is handed to answer, then closed.
// Returns the class name of the dialog, empty when none opened.
QString triggerWithDialog(QAction *action, const std::function<void(QWidget *)> &answer)
{
    QString opened;
    QTimer::singleShot(0, [&] {
        if (QWidget *dialog = QApplication::activeModalWidget()) {
            opened = QString::fromLatin1(dialog->metaObject()->className());
            answer(dialog);
            if (dialog->isVisible())
                dialog->close();
        }
    });
    action->trigger();
    QCoreApplication::processEvents();
    return opened;
}

void addColumn(QWidget *dialog, const QString &name)
{
    StructureListModel *list = static_cast<TStructureDlg *>(dialog)->cdsTable();
    list->insertNewRow(list->rowCount());
    list->setData(list->index(list->rowCount() - 1, StructureListModel::FieldName), name,
                  Qt::EditRole);
    dialog->findChild<QPushButton *>("OKBtn")->click();
}

} // namespace

class TestMainFormKinds : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void addNodeOpensTheKindDialog()
    {
        TestDatabase t;
        MessageRecorder messages;
        TMainForm form;
        select(form, "(A)物流单据");
        const QString opened = triggerWithDialog(form.action("actAddNode"), [](QWidget *dialog) {
            QCOMPARE(dialog->findChild<QLineEdit *>("dbedt_Code")->text(), QString("A"));
            dialog->findChild<QLineEdit *>("dbedt_Code")->setText("A05");
            dialog->findChild<QLineEdit *>("dbedt_Name")->setText("发票");
            dialog->findChild<QPushButton *>("btnSave")->click();
            QVERIFY(!dialog->isVisible()); // closed by the successful save
        });
        QCOMPARE(opened, QString("TfmNoteSrt"));
        QCOMPARE(form.tree()->currentItem()->text(0), QString("(A05)发票"));
    }

    void modifyNodeOnlyForKinds_data()
    {
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QString>("opened");
        QTest::newRow("root") << "所有模板"
                              << "";
        QTest::newRow("common data") << "基础数据"
                                     << "";
        QTest::newRow("category") << "(A)物流单据"
                                  << "TfmNoteSrt";
        QTest::newRow("form kind") << "(A02)收款收据"
                                   << "TfmNoteSrt";
    }
    void modifyNodeOnlyForKinds()
    {
        QFETCH(QString, selected);
        QFETCH(QString, opened);
        TestDatabase t;
        MessageRecorder messages;
        TMainForm form;
        select(form, selected);
        QCOMPARE(triggerWithDialog(form.action("actModNode"), [](QWidget *) {}), opened);
    }

    void structureOnlyForFormKinds()
    {
        TestDatabase t;
        MessageRecorder messages;
        TMainForm form;
        select(form, "(A)物流单据");
        QCOMPARE(triggerWithDialog(form.action("actModifyTable"), [](QWidget *) {}), QString());
        select(form, "(A02)收款收据");
        QCOMPARE(triggerWithDialog(form.action("actModifyTable"), [](QWidget *) {}),
                 QString("TStructureDlg"));
        QCOMPARE(form.currentKindCode(), QString("A02"));
        QCOMPARE(form.currentKindName(), QString("收款收据"));
    }

    void openRecordWindowIsClosedAndOpenedAgain()
    {
        TestDatabase t;
        MessageRecorder messages;
        TMainForm form;
        select(form, "基础数据");
        form.action("actOpen")->trigger();
        select(form, "(A01)快递运单");
        form.action("actOpen")->trigger();
        auto *window = qobject_cast<TmakeNote *>(form.tabs()->widget(1));
        // A record typed but not yet posted is kept.
        window->mainDataSet()->append();
        window->mainDataSet()->setFieldValue("单号", "YD20260099");
        QPointer<TmakeNote> old = window;
        triggerWithDialog(form.action("actModifyTable"),
                          [](QWidget *dialog) { addColumn(dialog, "件数"); });
        QVERIFY(!old);
        QCOMPARE(form.tabs()->count(), 2);
        QCOMPARE(form.tabKeyword(1), QString("A01"));
        auto *reopened = qobject_cast<TmakeNote *>(form.tabs()->widget(1));
        QVERIFY(reopened->mainDataSet()->columnIndex("件数") >= 0);
        QCOMPARE(GetSqlValue(t.db(), "SELECT count(*) FROM 快递运单 WHERE 单号 = 'YD20260099'"),
                 QString("1"));
        QVERIFY(messages.shown().isEmpty());
    }

    void windowWithAnEditThatCannotBeStoredStopsTheSave()
    {
        TestDatabase t;
        MessageRecorder messages;
        TMainForm form;
        select(form, "(A01)快递运单");
        form.action("actOpen")->trigger();
        auto *window = qobject_cast<TmakeNote *>(form.tabs()->widget(0));
        window->mainDataSet()->first();
        window->mainDataSet()->edit();
        window->mainDataSet()->setFieldValue("打印标记", QVariant()); // required: refused on post
        bool stayedOpen = false;
        triggerWithDialog(form.action("actModifyTable"), [&](QWidget *dialog) {
            addColumn(dialog, "件数");
            stayedOpen = dialog->isVisible();
        });
        QVERIFY(stayedOpen);
        QCOMPARE(form.tabs()->widget(0), window);
        QCOMPARE(messages.shown().size(), 1);
        QVERIFY2(messages.lastText().startsWith("“快递运单”窗口中的修改不能保存："),
                 qPrintable(messages.lastText()));
        QVERIFY(
            GetSqlValue(t.db(),
                        "SELECT count(*) FROM pragma_table_info('快递运单') WHERE name = '件数'") ==
            "0");
    }
};

QTEST_MAIN(TestMainFormKinds)
#include "tst_mainformkinds.moc"
