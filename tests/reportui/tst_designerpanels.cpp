#include "printing/ReportFunctions.h"
#include "report/BuiltinFunctions.h"
#include "report/Report.h"
#include "report/TemplateDocument.h"
#include "report/TextExpression.h"
#include "reportui/DesignerDataTree.h"
#include "reportui/DesignerExpressionEditor.h"
#include "reportui/DesignerPanels.h"
#include "support/FileDialogAnswers.h"
#include "support/MessageRecorder.h"
#include "support/ModalAnswer.h"
#include "support/SampleReports.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

using namespace SampleReports;
using ObjectId = TemplateDocument::ObjectId;

namespace {

ReportTemplate twoTexts()
{
    ReportPage page;
    page.name = QStringLiteral("Page1");
    page.bands = {band(ReportBand::Type::MasterData, 60, QStringLiteral("frxDBDsNote"),
                       {text(QStringLiteral("单号"), {10, 5, 40, 6},
                             QStringLiteral("[<frxDBDsNote.\"单号\">]")),
                        text(QStringLiteral("金额"), {60, 5, 30, 6},
                             QStringLiteral("[<frxDBDsNote.\"金额\">]"))}),
                  band(ReportBand::Type::PageFooter, 20)};
    ReportTemplate definition;
    definition.pages = {page};
    return definition;
}

// A designer's main window without its page view: what the panels are given.
struct Host {
    WaybillData data{1, 1};
    Report report;
    TemplateDocument document;
    QMainWindow window;

    Host()
    {
        report.setDataset(&data.note);
        report.setDataset(&data.sub);
        for (const ReportFunctionDeclaration &f : reportFunctionDeclarations())
            report.addFunction(f.declaration, f.category, f.description);
        document.setDefinition(twoTexts());
        addDesignerPanels(&window, &document, report);
        window.resize(1000, 700);
        window.show();
    }
    ObjectId id(int index) const { return document.objectIds(0, 0)[index]; }
    template <typename T> T *find(const char *name)
    {
        auto *found = window.findChild<T *>(QLatin1String(name));
        if (!found)
            qFatal("no %s", name);
        return found;
    }
};

QTreeWidgetItem *child(QTreeWidgetItem *parent, const QString &text)
{
    for (int i = 0; i < parent->childCount(); ++i)
        if (parent->child(i)->text(0) == text)
            return parent->child(i);
    return nullptr;
}

QTreeWidgetItem *topLevel(QTreeWidget *tree, const QString &text)
{
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        if (tree->topLevelItem(i)->text(0) == text)
            return tree->topLevelItem(i);
    return nullptr;
}

} // namespace

class TestDesignerPanels : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Each editor of the panel changes its property of the selected object, as one undo
    // step that gives back the template exactly.
    void propertyEditIsOneUndoStep_data()
    {
        QTest::addColumn<int>("which");
        QTest::newRow("left") << 0;
        QTest::newRow("width") << 1;
        QTest::newRow("bold") << 2;
        QTest::newRow("text") << 3;
        QTest::newRow("cells") << 4;
        QTest::newRow("rotation") << 5;
        QTest::newRow("alignment") << 6;
        QTest::newRow("visibility") << 7;
        QTest::newRow("lock") << 8;
    }
    void propertyEditIsOneUndoStep()
    {
        QFETCH(int, which);
        Host host;
        host.document.setSelection({host.id(0)});
        const QByteArray before = host.document.save();
        ReportObject expected = host.document.object(host.id(0));
        switch (which) {
        case 0:
            host.find<QDoubleSpinBox>("spnLeft")->setValue(12.3);
            expected.rect.moveLeft(12.3);
            break;
        case 1:
            host.find<QDoubleSpinBox>("spnWidth")->setValue(25.4);
            expected.rect.setWidth(25.4);
            break;
        case 2:
            host.find<QCheckBox>("chkBold")->setChecked(true);
            expected.bold = true;
            break;
        case 3: {
            auto *line = host.find<QLineEdit>("edtText");
            line->setText(QStringLiteral("单号：[<frxDBDsNote.\"单号\">]"));
            Q_EMIT line->editingFinished();
            expected.text = line->text();
            break;
        }
        case 4:
            host.find<QSpinBox>("spnCellCount")->setValue(10);
            host.find<QDoubleSpinBox>("spnCellWidth")->setValue(4.5);
            expected.cellCount = 10;
            expected.cellWidth = 4.5;
            break;
        case 5: {
            auto *rotation = host.find<QComboBox>("cboRotation");
            rotation->setCurrentIndex(rotation->findData(90));
            expected.rotation = 90;
            break;
        }
        case 6: {
            auto *horizontal = host.find<QComboBox>("cboHorizontalAlignment");
            horizontal->setCurrentIndex(horizontal->findData(int(Qt::AlignRight)));
            expected.alignment = Qt::AlignRight | Qt::AlignTop;
            break;
        }
        case 7: {
            auto *line = host.find<QLineEdit>("edtVisibleExpression");
            line->setText(QStringLiteral("<frxDBDsNote.\"ID\"> > 1"));
            Q_EMIT line->editingFinished();
            expected.visibleExpression = line->text();
            break;
        }
        case 8:
            host.find<QCheckBox>("chkLocked")->setChecked(true);
            expected.locked = true;
            break;
        }
        QCOMPARE(host.document.object(host.id(0)), expected);
        // The spin boxes of lengths take tenths of a millimetre and wait for the value to
        // be settled before editing.
        QCOMPARE(host.find<QDoubleSpinBox>("spnLeft")->decimals(), 1);
        QVERIFY(!host.find<QDoubleSpinBox>("spnLeft")->keyboardTracking());
        const int steps = which == 4 ? 2 : 1;
        QCOMPARE(host.document.undoStack()->count(), steps);
        for (int i = 0; i < steps; ++i)
            host.document.undoStack()->undo();
        QCOMPARE(host.document.save(), before);
    }

    // The panel shows what the document holds after an undo, and after a change made
    // elsewhere.
    void panelFollowsTheDocument()
    {
        Host host;
        host.document.setSelection({host.id(1)});
        auto *left = host.find<QDoubleSpinBox>("spnLeft");
        QCOMPARE(left->value(), 60.0);
        host.document.moveObjects({host.id(1)}, {2.5, 0});
        QCOMPARE(left->value(), 62.5);
        host.document.undoStack()->undo();
        QCOMPARE(left->value(), 60.0);
        QCOMPARE(host.document.undoStack()->count(), 1);
        QVERIFY(host.find<QGroupBox>("grpFont")->isVisible());
        QVERIFY(!host.find<QGroupBox>("grpPicture")->isVisible());
    }

    void multiSelectionEditsEveryObjectAsOneStep()
    {
        Host host;
        host.document.setSelection({host.id(0), host.id(1)});
        const QByteArray before = host.document.save();
        host.find<QDoubleSpinBox>("spnFontSize")->setValue(14);
        host.find<QDoubleSpinBox>("spnTop")->setValue(8.5);
        for (int i = 0; i < 2; ++i) {
            QCOMPARE(host.document.object(host.id(i)).fontSize, 14.0);
            QCOMPARE(host.document.object(host.id(i)).rect.top(), 8.5);
        }
        // Their own left edges and widths stay.
        QCOMPARE(host.document.object(host.id(0)).rect, QRectF(10, 8.5, 40, 6));
        QCOMPARE(host.document.object(host.id(1)).rect, QRectF(60, 8.5, 30, 6));
        QCOMPARE(host.document.undoStack()->count(), 2);
        host.document.undoStack()->undo();
        host.document.undoStack()->undo();
        QCOMPARE(host.document.save(), before);
    }

    void objectTreeAndSelectionFollowEachOther()
    {
        Host host;
        auto *tree = host.find<QTreeWidget>("treeObjects");
        QTreeWidgetItem *page = tree->topLevelItem(0);
        QCOMPARE(page->childCount(), 2);
        QTreeWidgetItem *master = page->child(0);
        QCOMPARE(master->childCount(), 2);
        QCOMPARE(master->child(1)->text(0), QStringLiteral("金额 (文本)"));

        master->child(1)->setSelected(true);
        QCOMPARE(host.document.selection(), QList<ObjectId>{host.id(1)});
        QCOMPARE(host.find<QLineEdit>("edtName")->text(), QStringLiteral("金额"));

        host.document.setSelection({host.id(0), host.id(1)});
        QCOMPARE(tree->selectedItems().size(), 2);
        host.document.setSelection({});
        QVERIFY(tree->selectedItems().isEmpty());

        // A band picked in the tree shows its settings; a change is one step.
        master->setSelected(true);
        QVERIFY(host.find<QGroupBox>("grpBand")->isVisible());
        QVERIFY(!host.find<QGroupBox>("grpObject")->isVisible());
        QCOMPARE(host.find<QDoubleSpinBox>("spnBandHeight")->value(), 60.0);
        host.find<QCheckBox>("chkStartNewPage")->setChecked(true);
        host.find<QDoubleSpinBox>("spnBandHeight")->setValue(70.5);
        const ReportBand &band = host.document.definition().pages[0].bands[0];
        QVERIFY(band.startNewPage);
        QCOMPARE(band.height, 70.5);
        QCOMPARE(host.document.undoStack()->count(), 2);

        // The tree follows an object added and removed.
        const QList<ObjectId> added = host.document.addObjects(
            0, 1, {text(QStringLiteral("页码"), {0, 0, 20, 5}, QStringLiteral("[Page#]"))});
        QCOMPARE(tree->topLevelItem(0)->child(1)->childCount(), 1);
        host.document.removeObjects(added);
        QCOMPARE(tree->topLevelItem(0)->child(1)->childCount(), 0);
    }

    // A renamed or moved object keeps its item, so a band the user folded stays folded; the
    // order in the band and the band itself follow their changes.
    void objectTreeFollowsEditsOfObjects()
    {
        Host host;
        const ObjectId number = host.id(0), amount = host.id(1);
        host.document.addObjects(
            0, 1, {text(QStringLiteral("页码"), {0, 0, 20, 5}, QStringLiteral("[Page#]"))});
        auto *tree = host.find<QTreeWidget>("treeObjects");
        QTreeWidgetItem *footer = tree->topLevelItem(0)->child(1);
        footer->setExpanded(false);
        host.document.editObjects({number}, QStringLiteral("名称"),
                                  [](ReportObject &o) { o.name = QStringLiteral("运单号"); });
        host.document.moveObjects({number}, {2, 0});
        QCOMPARE(tree->topLevelItem(0)->child(0)->child(0)->text(0),
                 QStringLiteral("运单号 (文本)"));
        QVERIFY(!tree->topLevelItem(0)->child(1)->isExpanded());

        host.document.sendToBack({amount});
        QCOMPARE(tree->topLevelItem(0)->child(0)->child(0)->text(0), QStringLiteral("金额 (文本)"));
        host.document.moveObjectsToBand({number}, 0, 1);
        QCOMPARE(tree->topLevelItem(0)->child(0)->childCount(), 1);
        QCOMPARE(tree->topLevelItem(0)->child(1)->child(1)->text(0),
                 QStringLiteral("运单号 (文本)"));
    }

    // A field dragged from the data tree carries the expression in brackets; made the text
    // of an object, it compiles as the engine compiles it.
    void dataTreeDragCarriesTheExpression_data()
    {
        QTest::addColumn<QStringList>("path");
        QTest::addColumn<QString>("payload");
        QTest::newRow("main field")
            << QStringList{QStringLiteral("数据"), QStringLiteral("frxDBDsNote"),
                           QStringLiteral("收货单位")}
            << QStringLiteral("[<frxDBDsNote.\"收货单位\">]");
        QTest::newRow("detail field")
            << QStringList{QStringLiteral("数据"), QStringLiteral("frxDBDsSub"),
                           QStringLiteral("单价")}
            << QStringLiteral("[<frxDBDsSub.\"单价\">]");
        QTest::newRow("page number")
            << QStringList{QStringLiteral("系统变量"), QStringLiteral("页码")}
            << QStringLiteral("[Page#]");
        QTest::newRow("total pages")
            << QStringList{QStringLiteral("系统变量"), QStringLiteral("总页数")}
            << QStringLiteral("[TotalPages#]");
        QTest::newRow("date") << QStringList{QStringLiteral("系统变量"), QStringLiteral("日期")}
                              << QStringLiteral("[Date]");
        QTest::newRow("amount in words")
            << QStringList{QStringLiteral("函数"), QStringLiteral("自定义"),
                           QStringLiteral("rmbToBIG4Fill")}
            << QStringLiteral("[rmbToBIG4Fill(Value, len)]");
    }
    void dataTreeDragCarriesTheExpression()
    {
        QFETCH(QStringList, path);
        QFETCH(QString, payload);
        Host host;
        auto *tree = host.find<DesignerDataTree>("treeData");
        QTreeWidgetItem *item = topLevel(tree, path.first());
        for (int i = 1; item && i < path.size(); ++i)
            item = child(item, path[i]);
        QVERIFY(item);
        QVERIFY(item->flags() & Qt::ItemIsDragEnabled);
        const QModelIndex index = tree->indexFromItem(item);
        std::unique_ptr<QMimeData> mime(tree->model()->mimeData({index}));
        QVERIFY(mime);
        QCOMPARE(QString::fromUtf8(mime->data(expressionMimeType)), payload);
        QCOMPARE(mime->text(), payload);
        if (!payload.contains(u'('))
            TextExpression::compile(QStringLiteral("拖入的对象"), payload, host.report.functions());
    }

    // The seven functions of the program stand under their category with their
    // descriptions, and every function of the engine listed is one the engine knows.
    void functionsAreListedByCategory()
    {
        Host host;
        QTreeWidgetItem *functions =
            topLevel(host.find<DesignerDataTree>("treeData"), QStringLiteral("函数"));
        QVERIFY(functions);
        int seven = 0;
        for (const ReportFunctionDeclaration &f : reportFunctionDeclarations()) {
            QTreeWidgetItem *category = child(functions, f.category);
            QVERIFY(category);
            QTreeWidgetItem *item = child(category, f.name);
            if (f.name == u"ShowRichText" && !item)
                continue;
            QVERIFY2(item, qPrintable(f.name));
            QCOMPARE(item->text(1), f.description);
            ++seven;
        }
        QVERIFY(seven >= 7);
        QTreeWidgetItem *text = child(functions, QStringLiteral("文本"));
        QVERIFY(text && text->childCount() > 0);
        for (int c = 0; c < functions->childCount(); ++c) {
            QTreeWidgetItem *category = functions->child(c);
            if (category->text(0) == u"自定义")
                continue;
            for (int i = 0; i < category->childCount(); ++i) {
                const QString name = category->child(i)->text(0);
                QVERIFY2(BuiltinFunctions::find(name) || name == u"IIF", qPrintable(name));
                QVERIFY(!category->child(i)->text(1).isEmpty());
            }
        }
    }

    // Check names the error and where it is, counting characters inside the expression
    // from 1: in "FormatFloat('0.00', )" the stray ")" is the 21st character.
    void expressionCheckNamesTheErrorAndItsPlace_data()
    {
        QTest::addColumn<bool>("condition");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("fine") << false << QStringLiteral("金额：[<frxDBDsNote.\"金额\">] 元")
                              << QStringList{QStringLiteral("检查通过")};
        QTest::newRow("stray bracket")
            << false << QStringLiteral("金额：[FormatFloat('0.00', )]")
            << QStringList{QStringLiteral("意外的“)”"), QStringLiteral("第 21 个字符"),
                           QStringLiteral("[FormatFloat('0.00', )]"), QStringLiteral("金额")};
        QTest::newRow("unknown function") << false << QStringLiteral("[Foo(1)]")
                                          << QStringList{QStringLiteral("未声明的函数或名称“Foo”"),
                                                         QStringLiteral("第 1 个字符")};
        QTest::newRow("unclosed") << false << QStringLiteral("[Page#")
                                  << QStringList{QStringLiteral("缺少“]”")};
        QTest::newRow("condition fine") << true << QStringLiteral("<frxDBDsNote.\"ID\"> > 1")
                                        << QStringList{QStringLiteral("检查通过")};
        QTest::newRow("condition stray character")
            << true << QStringLiteral("1 + ? 2")
            << QStringList{QStringLiteral("无法识别的字符“?”"), QStringLiteral("第 5 个字符")};
    }
    void expressionCheckNamesTheErrorAndItsPlace()
    {
        QFETCH(bool, condition);
        QFETCH(QString, text);
        QFETCH(QStringList, expected);
        Host host;
        DesignerExpressionEditor editor(QStringLiteral("金额"), text,
                                        condition
                                            ? DesignerExpressionEditor::Mode::Condition
                                            : DesignerExpressionEditor::Mode::TextWithExpressions,
                                        host.report);
        editor.findChild<QPushButton *>(QStringLiteral("btnCheck"))->click();
        const QString shown = editor.findChild<QLabel *>(QStringLiteral("lblCheckResult"))->text();
        for (const QString &part : expected)
            QVERIFY2(shown.contains(part), qPrintable(shown));
    }

    // Pictures, barcodes and check marks show their own settings, each edit one step.
    void otherKindsHaveTheirSettings()
    {
        Host host;
        ReportObject picture, barcode, mark;
        picture.kind = ReportObject::Kind::Picture;
        barcode.kind = ReportObject::Kind::Barcode;
        mark.kind = ReportObject::Kind::CheckMark;
        const QList<ObjectId> ids = host.document.addObjects(0, 1, {picture, barcode, mark});

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("stamp.png"));
        const QByteArray stamp = png({8, 8}, Qt::red);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(stamp);
        file.close();
        host.document.setSelection({ids[0]});
        QVERIFY(host.find<QGroupBox>("grpPicture")->isVisible());
        QVERIFY(!host.find<QGroupBox>("grpFont")->isVisible());
        FileDialogAnswers files;
        files.answer(path);
        host.find<QPushButton>("btnLoadPicture")->click();
        QCOMPARE(host.document.object(ids[0]).picture, stamp);
        auto *field = host.find<QLineEdit>("edtPictureExpression");
        field->setText(QStringLiteral("<frxDBDsNote.\"照片\">"));
        Q_EMIT field->editingFinished();
        QCOMPARE(host.document.object(ids[0]).pictureExpression, field->text());

        host.document.setSelection({ids[1]});
        QVERIFY(host.find<QGroupBox>("grpBarcode")->isVisible());
        auto *symbology = host.find<QComboBox>("cboSymbology");
        symbology->setCurrentIndex(symbology->findData(int(ReportObject::Symbology::QrCode)));
        QCOMPARE(host.document.object(ids[1]).symbology, ReportObject::Symbology::QrCode);

        host.document.setSelection({ids[2]});
        QVERIFY(host.find<QGroupBox>("grpCheck")->isVisible());
        whenModal<DesignerExpressionEditor>([](DesignerExpressionEditor *editor) {
            editor->findChild<QPlainTextEdit *>(QStringLiteral("edtExpression"))
                ->setPlainText(QStringLiteral("FieldIsNull('frxDBDsNote.金额')"));
            QVERIFY(editor->btnCheckClick());
            editor->accept();
        });
        host.find<QToolButton>("btnEditCheck")->click();
        QCOMPARE(host.document.object(ids[2]).checkExpression,
                 QStringLiteral("FieldIsNull('frxDBDsNote.金额')"));
        QCOMPARE(host.document.undoStack()->count(), 5);
    }

    // The editor opened on an object inserts from its tree at the cursor; OK is one edit.
    void textEditorInsertsAndSaves()
    {
        Host host;
        whenModal<DesignerExpressionEditor>([](DesignerExpressionEditor *editor) {
            auto *text = editor->findChild<QPlainTextEdit *>(QStringLiteral("edtExpression"));
            text->setPlainText(QStringLiteral("第页"));
            QTextCursor cursor = text->textCursor();
            cursor.setPosition(1);
            text->setTextCursor(cursor);
            auto *tree = editor->findChild<DesignerDataTree *>(QStringLiteral("treeData"));
            QTreeWidgetItem *page =
                child(topLevel(tree, QStringLiteral("系统变量")), QStringLiteral("页码"));
            Q_EMIT tree->itemDoubleClicked(page, 0);
            QVERIFY(editor->btnCheckClick());
            editor->accept();
        });
        editObjectText(&host.window, &host.document, host.id(0), host.report);
        QCOMPARE(host.document.object(host.id(0)).text, QStringLiteral("第[Page#]页"));
        QCOMPARE(host.document.undoStack()->count(), 1);
    }
};

QTEST_MAIN(TestDesignerPanels)
#include "tst_designerpanels.moc"
