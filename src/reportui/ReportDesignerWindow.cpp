#include "ReportDesignerWindow.h"

#include "DesignerNames.h"
#include "DesignerPageView.h"
#include "DesignerPanels.h"
#include "report/Report.h"
#include "report/ReportError.h"
#include "store/ProgramFolder.h"
#include "widgets/FileDialogs.h"
#include "widgets/Messages.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QSlider>
#include <QStatusBar>
#include <QToolBar>
#include <QUndoStack>

namespace {

constexpr double duplicateOffsetMm = 5;

struct InsertTool {
    const char *name;
    ReportObject::Kind kind;
};

const InsertTool insertTools[] = {
    {"actInsertText", ReportObject::Kind::Text},
    {"actInsertPicture", ReportObject::Kind::Picture},
    {"actInsertLine", ReportObject::Kind::Line},
    {"actInsertRectangle", ReportObject::Kind::Rectangle},
    {"actInsertBarcode", ReportObject::Kind::Barcode},
    {"actInsertCheckMark", ReportObject::Kind::CheckMark},
};

QString bandPrefix(ReportBand::Type type)
{
    switch (type) {
    case ReportBand::Type::ReportTitle:
        return QStringLiteral("ReportTitle");
    case ReportBand::Type::PageHeader:
        return QStringLiteral("PageHeader");
    case ReportBand::Type::MasterData:
        return QStringLiteral("MasterData");
    case ReportBand::Type::DetailData:
        return QStringLiteral("DetailData");
    case ReportBand::Type::PageFooter:
        break;
    }
    return QStringLiteral("PageFooter");
}

} // namespace

ReportDesignerWindow::ReportDesignerWindow(Report &report, SaveHook save, Preview preview,
                                           QWidget *parent)
    : QMainWindow(parent), m_report(report), m_save(std::move(save)), m_preview(std::move(preview))
{
    setObjectName(QStringLiteral("ReportDesignerWindow"));
    setWindowTitle(QStringLiteral("模板设计"));
    ReportTemplate definition = report.definition();
    if (definition.pages.isEmpty())
        definition.pages << defaultPage(1);
    m_document.setDefinition(definition);

    m_view = new DesignerPageView(&m_document, &report.functions(), this);
    setCentralWidget(m_view);
    createActions();
    createMenus();
    createToolBars();
    createStatusBar();
    addDesignerPanels(this, &m_document, report);

    connect(m_view, &DesignerPageView::objectActivated, this, &ReportDesignerWindow::activate);
    connect(m_view, &DesignerPageView::cursorMoved, this, &ReportDesignerWindow::showPosition);
    connect(m_view, &DesignerPageView::zoomChanged, this, [this](double zoom) {
        m_zoomText->setText(QStringLiteral("%1%").arg(qRound(zoom * 100)));
    });
    connect(m_view, &DesignerPageView::insertKindChanged, this, [this] {
        if (!m_view->insertKind() && m_insertTools->checkedAction())
            m_insertTools->checkedAction()->setChecked(false);
    });
    connect(&m_document, &TemplateDocument::selectionChanged, this,
            &ReportDesignerWindow::updateCommands);
    connect(&m_document, &TemplateDocument::reset, this, &ReportDesignerWindow::updatePageList);
    connect(&m_document, &TemplateDocument::pagesChanged, this,
            &ReportDesignerWindow::updatePageList);
    connect(m_document.undoStack(), &QUndoStack::cleanChanged, this,
            [this](bool clean) { setWindowModified(!clean); });
    setWindowTitle(QStringLiteral("模板设计[*]"));
    updatePageList();
    updateCommands();
    resize(1100, 800);
    m_view->setFocus();
}

ReportDesignerWindow::~ReportDesignerWindow()
{
    // The view and the panels work on the document: they go before it does.
    qDeleteAll(findChildren<QWidget *>(Qt::FindDirectChildrenOnly));
}

ReportPage ReportDesignerWindow::defaultPage(int number)
{
    ReportPage page;
    page.name = QStringLiteral("Page%1").arg(number);
    // One form per record: the master band fills the printable area and starts a page.
    ReportBand master;
    master.type = ReportBand::Type::MasterData;
    master.name = QStringLiteral("MasterData1");
    master.dataset = QStringLiteral("frxDBDsNote");
    master.startNewPage = true;
    master.height = page.sizeMm().height() - page.margins.top() - page.margins.bottom();
    page.bands << master;
    return page;
}

void ReportDesignerWindow::exec()
{
    setWindowModality(Qt::ApplicationModal);
    show();
    QEventLoop loop;
    m_loop = &loop;
    loop.exec();
    m_loop = nullptr;
}

QAction *ReportDesignerWindow::action(const char *name, const QString &text,
                                      const QKeySequence &shortcut,
                                      const std::function<void()> &handler)
{
    auto *a = new QAction(text, this);
    a->setObjectName(QLatin1String(name));
    if (!shortcut.isEmpty())
        a->setShortcut(shortcut);
    connect(a, &QAction::triggered, this, [this, handler] { guarded(handler); });
    return a;
}

void ReportDesignerWindow::guarded(const std::function<void()> &command)
{
    try {
        command();
    } catch (const QuilletError &e) {
        Messages::error(this, e.message());
    }
}

void ReportDesignerWindow::createActions()
{
    using A = TemplateDocument::Alignment;
    TemplateDocument *d = &m_document;
    const auto selection = [d] { return d->selection(); };

    action("actOpen", QStringLiteral("打开(&O)..."), QKeySequence::Open, [this] { open(); });
    action("actSave", QStringLiteral("保存(&S)"), QKeySequence::Save, [this] { save(false); });
    action("actSaveAs", QStringLiteral("另存为(&A)..."), {}, [this] { save(true); });
    action("actPreview", QStringLiteral("预览(&V)"), QKeySequence(Qt::CTRL | Qt::Key_P),
           [this] { preview(); });
    action("actClose", QStringLiteral("关闭(&C)"), {}, [this] { close(); });

    QAction *undo = d->undoStack()->createUndoAction(this, QStringLiteral("撤销"));
    undo->setObjectName(QStringLiteral("actUndo"));
    undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    QAction *redo = d->undoStack()->createRedoAction(this, QStringLiteral("重做"));
    redo->setObjectName(QStringLiteral("actRedo"));
    redo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Y));

    action("actCut", QStringLiteral("剪切"), QKeySequence::Cut, [this] { cut(); });
    action("actCopy", QStringLiteral("复制"), QKeySequence::Copy, [this] { copy(); });
    action("actPaste", QStringLiteral("粘贴"), QKeySequence::Paste, [this] { paste(); });
    action("actDuplicate", QStringLiteral("复制一份"), QKeySequence(Qt::CTRL | Qt::Key_D),
           [this] { duplicate(); });
    action("actDelete", QStringLiteral("删除"), QKeySequence::Delete,
           [d, selection] { d->removeObjects(selection()); });
    action("actSelectAll", QStringLiteral("全选"), QKeySequence::SelectAll, [this, d] {
        QList<TemplateDocument::ObjectId> ids;
        const int page = m_view->page();
        for (int band = 0; band < d->bandIds(page).size(); ++band)
            ids << d->objectIds(page, band);
        d->setSelection(ids);
    });
    action("actLock", QStringLiteral("锁定"), QKeySequence(Qt::CTRL | Qt::Key_L),
           [this] { toggleLock(); });

    action("actAlignLeft", QStringLiteral("左对齐"), {},
           [d, selection] { d->align(selection(), A::Left); });
    action("actAlignRight", QStringLiteral("右对齐"), {},
           [d, selection] { d->align(selection(), A::Right); });
    action("actAlignTop", QStringLiteral("顶端对齐"), {},
           [d, selection] { d->align(selection(), A::Top); });
    action("actAlignBottom", QStringLiteral("底端对齐"), {},
           [d, selection] { d->align(selection(), A::Bottom); });
    action("actAlignHorizontalCentres", QStringLiteral("水平居中对齐"), {},
           [d, selection] { d->align(selection(), A::HorizontalCentres); });
    action("actAlignVerticalCentres", QStringLiteral("垂直居中对齐"), {},
           [d, selection] { d->align(selection(), A::VerticalCentres); });
    action("actDistributeHorizontally", QStringLiteral("水平等距分布"), {},
           [d, selection] { d->distribute(selection(), TemplateDocument::Direction::Horizontal); });
    action("actDistributeVertically", QStringLiteral("垂直等距分布"), {},
           [d, selection] { d->distribute(selection(), TemplateDocument::Direction::Vertical); });
    action("actSameWidth", QStringLiteral("相同宽度"), {},
           [d, selection] { d->makeSameWidth(selection()); });
    action("actSameHeight", QStringLiteral("相同高度"), {},
           [d, selection] { d->makeSameHeight(selection()); });
    action("actBringToFront", QStringLiteral("移到最前"), {},
           [d, selection] { d->bringToFront(selection()); });
    action("actSendToBack", QStringLiteral("移到最后"), {},
           [d, selection] { d->sendToBack(selection()); });

    m_insertTools = new QActionGroup(this);
    m_insertTools->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (const InsertTool &tool : insertTools) {
        const ReportObject::Kind kind = tool.kind;
        QAction *a = action(tool.name, DesignerNames::objectKind(kind), {}, [] {});
        a->setCheckable(true);
        m_insertTools->addAction(a);
        connect(a, &QAction::toggled, this, [this, kind](bool on) {
            if (on)
                m_view->setInsertKind(kind);
            else if (m_view->insertKind() == kind)
                m_view->setInsertKind(std::nullopt);
        });
    }
    action("actAddPageHeader", QStringLiteral("页眉"), {},
           [this] { addBand(ReportBand::Type::PageHeader); });
    action("actAddMasterData", QStringLiteral("主数据带"), {},
           [this] { addBand(ReportBand::Type::MasterData); });
    action("actAddDetailData", QStringLiteral("明细数据带"), {},
           [this] { addBand(ReportBand::Type::DetailData); });
    action("actAddPageFooter", QStringLiteral("页脚"), {},
           [this] { addBand(ReportBand::Type::PageFooter); });
    action("actAddPage", QStringLiteral("新页面"), {}, [this] { addPage(); });

    action("actZoomIn", QStringLiteral("放大"), QKeySequence::ZoomIn, [this] {
        m_view->zoomIn();
    })->setShortcuts({QKeySequence::ZoomIn, QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    action("actZoomOut", QStringLiteral("缩小"), QKeySequence::ZoomOut,
           [this] { m_view->zoomOut(); });
    action("actZoom100", QStringLiteral("实际大小"), QKeySequence(Qt::CTRL | Qt::Key_0),
           [this] { m_view->setZoom(1); });
    action("actFitWidth", QStringLiteral("适合宽度"), {}, [this] { m_view->fitWidth(); });
    action("actWholePage", QStringLiteral("整页"), {}, [this] { m_view->wholePage(); });
    for (QAction *a : findChildren<QAction *>())
        if (!a->shortcut().isEmpty())
            addAction(a);
}

void ReportDesignerWindow::createMenus()
{
    const auto add = [this](QMenu *menu, std::initializer_list<const char *> names) {
        for (const char *name : names) {
            if (!*name)
                menu->addSeparator();
            else
                menu->addAction(findChild<QAction *>(QLatin1String(name)));
        }
    };
    QMenu *file = menuBar()->addMenu(QStringLiteral("文件(&F)"));
    file->setObjectName(QStringLiteral("mnuFile"));
    add(file, {"actOpen", "actSave", "actSaveAs", "", "actPreview", "", "actClose"});
    QMenu *edit = menuBar()->addMenu(QStringLiteral("编辑(&E)"));
    edit->setObjectName(QStringLiteral("mnuEdit"));
    add(edit, {"actUndo", "actRedo", "", "actCut", "actCopy", "actPaste", "actDuplicate",
               "actDelete", "", "actSelectAll", "actLock"});
    QMenu *insert = menuBar()->addMenu(QStringLiteral("插入(&I)"));
    insert->setObjectName(QStringLiteral("mnuInsert"));
    for (const InsertTool &tool : insertTools)
        add(insert, {tool.name});
    add(insert, {"", "actAddPageHeader", "actAddMasterData", "actAddDetailData", "actAddPageFooter",
                 "", "actAddPage"});
    QMenu *arrange = menuBar()->addMenu(QStringLiteral("排列(&A)"));
    arrange->setObjectName(QStringLiteral("mnuArrange"));
    add(arrange, {"actAlignLeft", "actAlignRight", "actAlignTop", "actAlignBottom",
                  "actAlignHorizontalCentres", "actAlignVerticalCentres", "",
                  "actDistributeHorizontally", "actDistributeVertically", "", "actSameWidth",
                  "actSameHeight", "", "actBringToFront", "actSendToBack"});
    QMenu *view = menuBar()->addMenu(QStringLiteral("视图(&V)"));
    view->setObjectName(QStringLiteral("mnuView"));
    add(view, {"actZoomIn", "actZoomOut", "actZoom100", "actFitWidth", "actWholePage"});
}

void ReportDesignerWindow::createToolBars()
{
    const auto bar = [this](const char *name, const QString &title,
                            std::initializer_list<const char *> names) {
        QToolBar *toolBar = addToolBar(title);
        toolBar->setObjectName(QLatin1String(name));
        for (const char *action : names) {
            if (!*action)
                toolBar->addSeparator();
            else
                toolBar->addAction(findChild<QAction *>(QLatin1String(action)));
        }
        return toolBar;
    };
    QToolBar *standard = bar("tbStandard", QStringLiteral("标准"),
                             {"actOpen", "actSave", "actPreview", "", "actUndo", "actRedo", "",
                              "actCut", "actCopy", "actPaste", "actDelete", "", "actZoomIn",
                              "actZoomOut", "actFitWidth", "actWholePage"});
    m_pages = new QComboBox;
    m_pages->setObjectName(QStringLiteral("cmbPage"));
    standard->addSeparator();
    standard->addWidget(m_pages);
    connect(m_pages, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0)
            m_view->setPage(index);
    });
    QToolBar *tools = bar("tbInsert", QStringLiteral("插入"), {});
    for (const InsertTool &tool : insertTools)
        tools->addAction(findChild<QAction *>(QLatin1String(tool.name)));
    addToolBarBreak();
    bar("tbArrange", QStringLiteral("排列"),
        {"actAlignLeft", "actAlignRight", "actAlignTop", "actAlignBottom",
         "actAlignHorizontalCentres", "actAlignVerticalCentres", "", "actDistributeHorizontally",
         "actDistributeVertically", "actSameWidth", "actSameHeight", "", "actBringToFront",
         "actSendToBack", "", "actLock"});
}

void ReportDesignerWindow::createStatusBar()
{
    m_position = new QLabel;
    m_position->setObjectName(QStringLiteral("lblPosition"));
    statusBar()->addWidget(m_position, 1);

    auto *grid = new QComboBox;
    grid->setObjectName(QStringLiteral("cmbGrid"));
    grid->addItem(QStringLiteral("无网格"), 0.0);
    grid->addItem(QStringLiteral("网格 1 mm"), 1.0);
    grid->addItem(QStringLiteral("网格 2.5 mm"), 2.5);
    grid->addItem(QStringLiteral("网格 5 mm"), 5.0);
    grid->setCurrentIndex(grid->findData(m_view->gridStep()));
    connect(grid, &QComboBox::currentIndexChanged, this,
            [this, grid] { m_view->setGridStep(grid->currentData().toDouble()); });
    statusBar()->addPermanentWidget(grid);

    auto *snap = new QCheckBox(QStringLiteral("对齐网格"));
    snap->setObjectName(QStringLiteral("chkSnapToGrid"));
    snap->setChecked(m_view->snapToGrid());
    connect(snap, &QCheckBox::toggled, m_view, &DesignerPageView::setSnapToGrid);
    statusBar()->addPermanentWidget(snap);

    statusBar()->addPermanentWidget(new QLabel(QStringLiteral("底图淡化")));
    auto *lightness = new QSlider(Qt::Horizontal);
    lightness->setObjectName(QStringLiteral("sldLightness"));
    lightness->setRange(0, 90);
    lightness->setValue(m_view->backgroundLightness());
    lightness->setFixedWidth(100);
    connect(lightness, &QSlider::valueChanged, m_view, &DesignerPageView::setBackgroundLightness);
    statusBar()->addPermanentWidget(lightness);

    m_zoomText = new QLabel(QStringLiteral("100%"));
    m_zoomText->setObjectName(QStringLiteral("lblZoom"));
    statusBar()->addPermanentWidget(m_zoomText);
}

void ReportDesignerWindow::showPosition()
{
    if (const std::optional<QPointF> mm = m_view->cursorMm())
        m_position->setText(
            QStringLiteral("X: %1 mm  Y: %2 mm").arg(mm->x(), 0, 'f', 1).arg(mm->y(), 0, 'f', 1));
}

void ReportDesignerWindow::updatePageList()
{
    const QSignalBlocker blocker(m_pages);
    m_pages->clear();
    const QList<ReportPage> &pages = m_document.definition().pages;
    for (int i = 0; i < pages.size(); ++i)
        m_pages->addItem(pages[i].name.isEmpty() ? QStringLiteral("第%1页").arg(i + 1)
                                                 : pages[i].name);
    m_pages->setCurrentIndex(m_view->page());
}

void ReportDesignerWindow::updateCommands()
{
    const qsizetype selected = m_document.selection().size();
    for (const char *name : {"actCut", "actCopy", "actDuplicate", "actDelete", "actLock",
                             "actBringToFront", "actSendToBack"})
        findChild<QAction *>(QLatin1String(name))->setEnabled(selected > 0);
    for (const char *name :
         {"actAlignLeft", "actAlignRight", "actAlignTop", "actAlignBottom",
          "actAlignHorizontalCentres", "actAlignVerticalCentres", "actSameWidth", "actSameHeight"})
        findChild<QAction *>(QLatin1String(name))->setEnabled(selected > 1);
    for (const char *name : {"actDistributeHorizontally", "actDistributeVertically"})
        findChild<QAction *>(QLatin1String(name))->setEnabled(selected > 2);
}

// ---- file commands

bool ReportDesignerWindow::save(bool saveAs)
{
    m_report.definition() = m_document.definition();
    if (!m_save(m_report, saveAs))
        return false;
    m_document.undoStack()->setClean();
    return true;
}

void ReportDesignerWindow::open()
{
    const QString path = FileDialogs::getOpenFileName(
        this, QStringLiteral("打开模板"), QStringLiteral("模板文件 (*.fr3);;所有文件 (*)"),
        ProgramFolder::notesFolder());
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw ReportError(QStringLiteral("不能打开模板文件“%1”：%2").arg(path, file.errorString()));
    m_document.load(file.readAll());
    m_view->setPage(0);
    updatePageList();
    // What was opened is not yet the form kind's template: it waits to be saved.
    m_document.undoStack()->resetClean();
    setWindowModified(true);
}

void ReportDesignerWindow::preview()
{
    m_report.definition() = m_document.definition();
    m_preview(this, m_report);
}

void ReportDesignerWindow::closeEvent(QCloseEvent *event)
{
    if (!m_document.undoStack()->isClean()) {
        switch (Messages::askYesNoCancel(this, QStringLiteral("模板已修改，是否保存？"),
                                         QStringLiteral("模板设计"))) {
        case Messages::Answer::Yes: {
            bool saved = false;
            guarded([&] { saved = save(false); });
            if (!saved) {
                event->ignore();
                return;
            }
            break;
        }
        case Messages::Answer::No:
            break;
        case Messages::Answer::Cancel:
            event->ignore();
            return;
        }
    }
    // The report keeps the design, saved or not, until a template is loaded into it again.
    m_report.definition() = m_document.definition();
    event->accept();
    if (m_loop)
        m_loop->quit();
}

// ---- edit commands

int ReportDesignerWindow::targetBand() const
{
    for (TemplateDocument::ObjectId id : m_document.selection())
        if (const auto place = m_document.place(id); place && place->page == m_view->page())
            return place->band;
    if (const std::optional<QPointF> cursor = m_view->cursorMm())
        if (const int band = m_view->bandAt(*cursor); band >= 0)
            return band;
    return m_document.bandIds(m_view->page()).isEmpty() ? -1 : 0;
}

void ReportDesignerWindow::copy()
{
    if (m_document.selection().isEmpty())
        return;
    auto *data = new QMimeData;
    data->setData(TemplateDocument::mimeType, m_document.copy(m_document.selection()));
    QApplication::clipboard()->setMimeData(data);
}

void ReportDesignerWindow::cut()
{
    copy();
    m_document.removeObjects(m_document.selection());
}

void ReportDesignerWindow::paste()
{
    const QMimeData *data = QApplication::clipboard()->mimeData();
    if (!data || !data->hasFormat(TemplateDocument::mimeType))
        return;
    const int band = targetBand();
    if (band < 0)
        throw ReportError(QStringLiteral("页面上没有带，不能粘贴。请先插入一个带。"));
    m_document.setSelection(
        m_document.paste(m_view->page(), band, data->data(TemplateDocument::mimeType)));
}

void ReportDesignerWindow::duplicate()
{
    const QList<TemplateDocument::ObjectId> selection = m_document.selection();
    if (selection.isEmpty())
        return;
    const auto place = m_document.place(selection.first());
    m_document.setSelection(m_document.paste(place->page, place->band, m_document.copy(selection),
                                             QPointF(duplicateOffsetMm, duplicateOffsetMm)));
}

void ReportDesignerWindow::toggleLock()
{
    const QList<TemplateDocument::ObjectId> selection = m_document.selection();
    const bool allLocked = std::all_of(selection.begin(), selection.end(),
                                       [this](auto id) { return m_document.object(id).locked; });
    m_document.setLocked(selection, !allLocked);
}

void ReportDesignerWindow::addBand(ReportBand::Type type)
{
    const int page = m_view->page();
    ReportBand band;
    band.type = type;
    int number = 1;
    for (const ReportBand &other : m_document.definition().pages[page].bands)
        if (other.type == type)
            ++number;
    band.name = bandPrefix(type) + QString::number(number);
    if (type == ReportBand::Type::MasterData)
        band.dataset = QStringLiteral("frxDBDsNote");
    else if (type == ReportBand::Type::DetailData)
        band.dataset = QStringLiteral("frxDBDsSub");
    band.height = type == ReportBand::Type::DetailData ? 8 : 20;
    m_document.addBand(page, band);
}

void ReportDesignerWindow::addPage()
{
    const int count = int(m_document.definition().pages.size());
    m_document.addPage(defaultPage(count + 1));
    m_view->setPage(count);
    m_pages->setCurrentIndex(count);
}

void ReportDesignerWindow::activate(TemplateDocument::ObjectId id)
{
    const ReportObject::Kind kind = m_document.object(id).kind;
    if (kind == ReportObject::Kind::Text || kind == ReportObject::Kind::Barcode ||
        kind == ReportObject::Kind::CheckMark)
        editObjectText(this, &m_document, id, m_report);
}
