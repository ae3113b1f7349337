#pragma once

#include "KindTabWidget.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <functional>

class DataSet;
class KindTabBar;
class QAction;
class QLabel;
class QMenu;
class QStackedWidget;
class QTabWidget;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;
class TChildForm;
class TbrowserForm;

// The one top-level window: the tree of form kinds on the left, the tabs of open record
// windows on the right over the background picture, menus, toolbar and status bar. It owns
// the shared database connection and the form-kind table for the whole run.
class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int MaxKindTabs = 8;

    explicit TMainForm(QWidget *parent = nullptr);
    ~TMainForm() override;

    // The one main window of the process, for the windows that reach back to it.
    static TMainForm *instance();

    QAction *action(const QString &name) const { return m_actions.value(name); }
    DataSet *tblNote() const { return m_tblNote; }
    QTreeWidget *tree() const { return m_tree; }
    QTabWidget *tabs() const { return m_tabs; }
    QTimer *tipTimer() const { return m_tipTimer; }
    bool showTipFlag() const { return m_showTip; }
    QString currentKindCode() const { return m_currentKindCode; }
    QString currentKindName() const { return m_currentKindName; }

    // Opens the connection when needed and reads noteKind afresh, sorted by kindCode.
    void OpenDatabase();
    void BuildKindTree();
    QTreeWidgetItem *FindKindNode(const QString &code) const;
    QTreeWidgetItem *FindParentNode(const QString &code) const;
    int KindIdOf(const QString &code);
    bool KindHasChildren(const QString &code) const;

    // Opening the selected node: the common-data tab, or a form kind's record window.
    void OpenSelectedNode();
    void OpenKindTab(const QString &name, const QString &code);
    void OpenCommonDataTab(const QString &caption);
    void CloseTab(int index);
    TChildForm *activeChild() const;
    // The hidden keyword of a tab: the kind code, empty for the common-data tab.
    QString tabKeyword(int index) const;

    // Closes the record windows that show the tables of the form kind of that name, their
    // pending edits posted first, and adds their kind codes to closedCodes. False, with the
    // reason shown, when one of them cannot be closed.
    bool CloseKindWindows(const QString &kindName, QStringList *closedCodes);

    // Shows the tip of the day when the start-up flag asks for it.
    void ShowTipOfDay();
    // 下载: the maker's template page in a new window of its own.
    TbrowserForm *openDownloadWindow();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QHash<QString, QAction *> m_actions;
    QTreeWidget *m_tree = nullptr;
    QMenu *m_treeMenu = nullptr;
    QLabel *m_background = nullptr;
    QMenu *m_backgroundMenu = nullptr;
    QStackedWidget *m_rightSide = nullptr;
    KindTabWidget *m_tabs = nullptr;
    KindTabBar *m_tabBar = nullptr;
    QTimer *m_tipTimer = nullptr;
    DataSet *m_tblNote = nullptr;
    QPointer<DataSet> m_deleteTarget;
    bool m_deleteEnabledByTabs = false;
    bool m_showTip = false;
    QString m_currentKindCode, m_currentKindName;

    // Runs a command; an error of the program stops it and is shown, the window stays.
    void guarded(const std::function<void()> &command);
    // Saves the rows being typed in the tab's window. One that cannot be saved is dropped
    // when the user agrees; false when it stays.
    bool postOrDiscard(TChildForm *child, int index);
    QAction *addAction(const QString &name, const QString &caption, const QString &hint,
                       bool enabled, void (TMainForm::*slot)() = nullptr);
    // Runs the handler, guarded, whenever the named action is triggered.
    void bindCommand(const QString &name, void (TMainForm::*slot)());
    void createActions();
    // The commands of copying, backup and restore, the printer, the picture and the tools.
    void bindUtilityCommands();
    void createMenus();
    void createLayout();
    // Wires the commands that reach the maker and the help dialogs, and starts the update
    // check of every start.
    void connectWebAndHelpCommands();
    void readStartupOptions();
    void applyBackgroundPicture(const QString &path, bool stretch);

    void setTabCommandsEnabled(const QStringList &names, bool enabled);
    void bindDeleteAction(TChildForm *child);
    void updateDeleteAction();
    void showTabArea(bool visible);
    // Adds the child's tab and opens it; a child that fails to open is removed again.
    void addChildTab(TChildForm *child, const QString &caption, const QString &keyword,
                     const std::function<void()> &open, const QStringList &commands);
    void closeActiveTab();
    void closeTabFromMouse(int index);
    void dispatch(void (TChildForm::*operation)());

    void deleteSelectedNode();
    void openSelectedStructure();
    void editStructure(const QString &kindName);
    void addKindNode();
    void modifyKindNode();
    void refreshTree();
    void saveKindAs();
    void backupData();
    void restoreData();
    // Closes every tab as 关闭 does; false when one of them stays open.
    bool closeAllTabs();
    void setPrinter();
    void setBackgroundPicture();
    void toggleBackgroundStretch();
    void openMakerSite();
    void startDesktopProgram(const QStringList &names, const QString &what);
    void startCalculator();
    void startNotepad();
    void showHelp();
    // Adds the nodes of the form-kind table as it was last read.
    void fillKindTree();
};
