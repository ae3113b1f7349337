#include "TMainForm.h"

#include "KindTabBar.h"
#include "widgets/Messages.h"
#include "widgets/TChildForm.h"

#include "store/DataSet.h"
#include "store/IniFile.h"
#include "store/ProgramFolder.h"
#include "store/QuilletError.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
TMainForm *g_instance = nullptr;
const QString Title = QStringLiteral("Quillet专业版");
} // namespace

TMainForm *TMainForm::instance()
{
    return g_instance;
}

TMainForm::TMainForm(QWidget *parent) : QMainWindow(parent)
{
    g_instance = this;
    setObjectName(QStringLiteral("TMainForm"));
    m_tblNote = new DataSet(this);
    m_tblNote->setObjectName(QStringLiteral("tblNote"));
    m_tblNote->setTableName(QStringLiteral("noteKind"));
    m_tblNote->setOrderBy(QStringLiteral("kindCode"));
    createActions();
    createMenus();
    createLayout();
    connectWebAndHelpCommands();

    // Creation steps, in order. The hints of the commands reach the status bar through
    // their status tips.
    setWindowTitle(Title);
    try {
        BuildKindTree();
    } catch (const QuilletError &e) {
        Messages::error(this, e.message(), Title);
        return; // no settings are read and no tip timer starts without a database
    }
    readStartupOptions();
    m_tipTimer = new QTimer(this);
    m_tipTimer->setObjectName(QStringLiteral("tmrTip"));
    m_tipTimer->setSingleShot(true);
    m_tipTimer->setInterval(8000);
    connect(m_tipTimer, &QTimer::timeout, this, [this] {
        m_tipTimer->deleteLater();
        m_tipTimer = nullptr;
        ShowTipOfDay();
    });
    m_tipTimer->start();
}

void TMainForm::guarded(const std::function<void()> &command)
{
    try {
        command();
    } catch (const QuilletError &e) {
        Messages::error(this, e.message());
    }
}

bool TMainForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_tree->viewport()) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            if (static_cast<QMouseEvent *>(event)->button() == Qt::RightButton)
                return true;
            break;
        default:
            break;
        }
    }
    if (watched == m_background && event->type() == QEvent::MouseButtonDblClick) {
        openMakerSite();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

TMainForm::~TMainForm()
{
    if (g_instance == this)
        g_instance = nullptr;
}

QAction *TMainForm::addAction(const QString &name, const QString &caption, const QString &hint,
                              bool enabled, void (TMainForm::*slot)())
{
    auto *a = new QAction(caption, this);
    a->setObjectName(name);
    a->setStatusTip(hint);
    a->setToolTip(hint.isEmpty() ? caption : hint);
    a->setEnabled(enabled);
    m_actions.insert(name, a);
    if (slot)
        bindCommand(name, slot);
    return a;
}

void TMainForm::bindCommand(const QString &name, void (TMainForm::*slot)())
{
    connect(m_actions.value(name), &QAction::triggered, this,
            [this, slot] { guarded([this, slot] { (this->*slot)(); }); });
}

void TMainForm::createActions()
{
    const auto icon = [this](QStyle::StandardPixmap p) { return style()->standardIcon(p); };
    // Tab commands reach the window of the active tab.
    const struct {
        const char *name, *caption, *hint;
        void (TChildForm::*op)();
        QStyle::StandardPixmap glyph;
    } tabCommands[] = {
        {"actDesign", "设计", "设计单据模板", &TChildForm::DesignTemplate,
         QStyle::SP_FileDialogDetailedView},
        {"actPreview", "预览", "预览", &TChildForm::PreviewReport,
         QStyle::SP_FileDialogContentsView},
        {"actPrint", "打印", "发送到默认打印机", &TChildForm::PrintReport,
         QStyle::SP_DialogSaveButton},
        {"actExport", "导出", "导出Excel", &TChildForm::ExportToExcel, QStyle::SP_ArrowUp},
        {"actImport", "导入", "从Excel导入", &TChildForm::ImportFromExcel, QStyle::SP_ArrowDown},
        {"actCopy", "复制行", "复制当前行", &TChildForm::CopyRow, QStyle::SP_FileIcon},
        {"actPaste", "粘贴行", "粘贴新行", &TChildForm::PasteRow, QStyle::SP_FileLinkIcon},
        {"actDelete", "删除", "删除当前记录", &TChildForm::DeleteRow, QStyle::SP_TrashIcon},
        {"actClearAll", "清除", "删除所有记录", &TChildForm::ClearAll,
         QStyle::SP_DialogResetButton},
    };
    for (const auto &c : tabCommands) {
        QAction *a = addAction(QString::fromUtf8(c.name), QString::fromUtf8(c.caption),
                               QString::fromUtf8(c.hint), false);
        a->setIcon(icon(c.glyph));
        const auto op = c.op;
        connect(a, &QAction::triggered, this,
                [this, op] { guarded([this, op] { dispatch(op); }); });
    }
    addAction("actDownTPL", "下载", "从网站下载单据模板", true)
        ->setIcon(icon(QStyle::SP_DriveNetIcon));
    addAction("actClose", "关闭", "关闭当前窗体", false, &TMainForm::closeActiveTab)
        ->setIcon(icon(QStyle::SP_DialogCloseButton));
    addAction("actExit", "退出", "退出系统", true, nullptr)
        ->setIcon(icon(QStyle::SP_DialogCancelButton));
    connect(m_actions["actExit"], &QAction::triggered, this, &QWidget::close);
    addAction("actSetPrinter", "打印机...", "设置默认打印机...", true);
    addAction("actBackup", "数据备份", "数据备份", true);
    addAction("actRestore", "数据还原", "数据还原", true);
    addAction("actBaseTable", "基础数据", "设置基础数据", true);
    connect(m_actions["actBaseTable"], &QAction::triggered, this,
            [this] { guarded([this] { OpenCommonDataTab(m_actions["actBaseTable"]->text()); }); });
    addAction("actCalc", "计算器", "计算器", true);
    addAction("actNotepad", "记事本", "记事本", true);
    addAction("actHelp", "帮助", "帮助", true);
    addAction("actTips", "每日一帖", "每日一帖", true);
    addAction("actCheckUpdate", "检测更新", "检测是否有新版本", true);
    addAction("actMeasure", "建议及反馈", "", true);
    addAction("actQQ", "QQ咨询", "", true);
    addAction("actAbout", "关于", "关于", true);
    addAction("actOpen", "打开", "打开当前单据", true, &TMainForm::OpenSelectedNode);
    addAction("actAddNode", "添加结点", "", true, &TMainForm::addKindNode);
    addAction("actModNode", "修改结点", "", true, &TMainForm::modifyKindNode);
    addAction("actDelNode", "删除结点", "", true, &TMainForm::deleteSelectedNode);
    addAction("actModifyTable", "单据结构", "单据结构", true, &TMainForm::openSelectedStructure);
    addAction("actSaveAs", "另存为...", "将当前单据复制为新单据", true);
    addAction("actExpendNode", "展开结点", "", true);
    connect(m_actions["actExpendNode"], &QAction::triggered, this, [this] { m_tree->expandAll(); });
    addAction("actColNode", "收拢结点", "", true);
    connect(m_actions["actColNode"], &QAction::triggered, this, [this] { m_tree->collapseAll(); });
    addAction("actRefreshTree", "刷新结点", "", true, &TMainForm::refreshTree);
    addAction("actBgPic", "设置背景图", "", true);
    addAction("actBgStretch", "平铺", "", true)->setCheckable(true);
    bindUtilityCommands();
}

void TMainForm::createMenus()
{
    auto fill = [this](QWidget *menuOrBar, const QStringList &names) {
        for (const QString &n : names) {
            if (n == u"-") {
                if (auto *m = qobject_cast<QMenu *>(menuOrBar))
                    m->addSeparator();
                else
                    static_cast<QToolBar *>(menuOrBar)->addSeparator();
            } else {
                menuOrBar->addAction(m_actions.value(n));
            }
        }
    };
    const struct {
        const char *title;
        QStringList names;
    } menus[] = {
        {"系统",
         {"actSetPrinter", "-", "actBackup", "actRestore", "actBaseTable", "-", "actClose",
          "actExit"}},
        {"单据", {"actPreview", "actPrint", "actDesign"}},
        {"操作",
         {"actExport", "actImport", "-", "actCopy", "actPaste", "-", "actDelete", "actClearAll",
          "actDownTPL"}},
        {"工具", {"actCalc", "actNotepad"}},
        {"帮助",
         {"actHelp", "actTips", "actCheckUpdate", "-", "actMeasure", "actQQ", "-", "actAbout"}},
    };
    for (const auto &m : menus)
        fill(menuBar()->addMenu(QString::fromUtf8(m.title)), m.names);

    QToolBar *toolbar = addToolBar(QStringLiteral("工具栏"));
    toolbar->setObjectName(QStringLiteral("ToolBar1"));
    toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    toolbar->setMovable(false);
    fill(toolbar, {"actDesign", "actPreview", "actPrint", "-", "actClearAll", "actDelete",
                   "actCopy", "actPaste", "-", "actExport", "actImport", "-", "actDownTPL", "-",
                   "actClose", "-", "actExit"});

    m_treeMenu = new QMenu(this);
    m_treeMenu->setObjectName(QStringLiteral("pmTreeview"));
    fill(m_treeMenu,
         {"actOpen", "-", "actAddNode", "actModNode", "actDelNode", "-", "actModifyTable", "-",
          "actSaveAs", "-", "actExpendNode", "actColNode", "-", "actRefreshTree"});
    m_backgroundMenu = new QMenu(this);
    m_backgroundMenu->setObjectName(QStringLiteral("pmBgPic"));
    fill(m_backgroundMenu, {"actBgPic", "actBgStretch"});
}

void TMainForm::createLayout()
{
    auto *splitter = new QSplitter(Qt::Horizontal, this);
    auto *group = new QGroupBox(QStringLiteral("所有模块"), splitter);
    m_tree = new QTreeWidget(group);
    m_tree->setObjectName(QStringLiteral("tvwCtg"));
    m_tree->setHeaderHidden(true);
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tree->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_tree, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { m_treeMenu->popup(m_tree->viewport()->mapToGlobal(pos)); });
    // The popup acts on the selected node, so a right click must not select another one.
    m_tree->viewport()->installEventFilter(this);
    connect(m_tree, &QTreeWidget::itemDoubleClicked, this,
            [this] { guarded([this] { OpenSelectedNode(); }); });
    auto *groupLayout = new QVBoxLayout(group);
    groupLayout->setContentsMargins(2, 2, 2, 2);
    groupLayout->addWidget(m_tree);

    m_rightSide = new QStackedWidget(splitter);
    m_background = new QLabel(m_rightSide);
    m_background->setObjectName(QStringLiteral("imgBG"));
    m_background->setAlignment(Qt::AlignCenter);
    m_background->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_background, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { m_backgroundMenu->popup(m_background->mapToGlobal(pos)); });
    m_background->installEventFilter(this);
    m_tabs = new KindTabWidget(m_rightSide);
    m_tabs->setObjectName(QStringLiteral("pgcMain"));
    m_tabBar = m_tabs->kindTabBar();
    connect(m_tabBar, &KindTabBar::closeRequested, this,
            [this](int index) { guarded([this, index] { closeTabFromMouse(index); }); });
    m_rightSide->addWidget(m_background);
    m_rightSide->addWidget(m_tabs);
    showTabArea(false);

    splitter->setStretchFactor(1, 1);
    splitter->setSizes({220, 800});
    setCentralWidget(splitter);
    statusBar()->setObjectName(QStringLiteral("StatusBar1"));
}

void TMainForm::readStartupOptions()
{
    IniFile ini(ProgramFolder::settingsPath());
    if (!ini.exists())
        return;
    const QString section = QStringLiteral("Option");
    m_showTip = ini.readBool(section, QStringLiteral("ShowTipOfDay"), true);
    applyBackgroundPicture(ini.readString(section, QStringLiteral("BgPic"), QString()),
                           ini.readBool(section, QStringLiteral("BgStretch"), false));
}

void TMainForm::applyBackgroundPicture(const QString &path, bool stretch)
{
    if (path.isEmpty() || !QFileInfo::exists(path))
        return;
    if (stretch) {
        m_background->setScaledContents(true);
        m_actions["actBgStretch"]->setChecked(true);
    }
    const QString suffix = u'.' + QFileInfo(path).suffix().toUpper();
    if (suffix != u".BMP" && suffix != u".JPG" && suffix != u".JPEG")
        return;
    const QPixmap picture(path);
    if (!picture.isNull()) // a picture that fails to load leaves the background empty
        m_background->setPixmap(picture);
}

void TMainForm::closeEvent(QCloseEvent *event)
{
    if (!Messages::askYesNo(this, QStringLiteral("你确定要退出吗？"), QStringLiteral("提醒"))) {
        event->ignore();
        return;
    }
    // Rows still being typed are saved; one that cannot be is dropped only when the user says
    // so, and otherwise keeps the program open on it.
    for (int i = 0; i < m_tabs->count(); ++i) {
        auto *child = qobject_cast<TChildForm *>(m_tabs->widget(i));
        if (child && !postOrDiscard(child, i)) {
            event->ignore();
            return;
        }
    }
    event->accept();
}
