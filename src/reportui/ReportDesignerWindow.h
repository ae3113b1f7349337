#pragma once

#include "report/TemplateDocument.h"

#include <QKeySequence>
#include <QMainWindow>
#include <functional>

class DesignerPageView;
class QActionGroup;
class QComboBox;
class QEventLoop;
class QLabel;
class Report;

// The engine's template designer: the page view with its rulers, the side panels, and the
// commands of a layout program. Opened modal on a report; every save (Save, Save As, and
// on closing with changes) goes through the save hook, and a true answer counts as saved.
// When it closes the report holds the template as designed, saved or not.
class ReportDesignerWindow : public QMainWindow {
    Q_OBJECT

public:
    // Stores the report; true when it was stored.
    using SaveHook = std::function<bool(Report &report, bool saveAs)>;
    // Prepares the report over the current records and shows the pages.
    using Preview = std::function<void(QWidget *parent, Report &report)>;

    ReportDesignerWindow(Report &report, SaveHook save, Preview preview, QWidget *parent = nullptr);
    ~ReportDesignerWindow() override;

    // Shows the window modal and returns when it is closed.
    void exec();

    TemplateDocument *document() { return &m_document; }
    DesignerPageView *pageView() const { return m_view; }

    // The template of a report without pages gets this page to begin with.
    static ReportPage defaultPage(int number);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    QAction *action(const char *name, const QString &text, const QKeySequence &shortcut,
                    const std::function<void()> &handler);
    void createActions();
    void createMenus();
    void createToolBars();
    void createStatusBar();
    void guarded(const std::function<void()> &command);
    bool save(bool saveAs);
    void open();
    void preview();
    void cut();
    void copy();
    void paste();
    void duplicate();
    void toggleLock();
    void addBand(ReportBand::Type type);
    void addPage();
    void activate(TemplateDocument::ObjectId id);
    int targetBand() const;
    void updateCommands();
    void updatePageList();
    void showPosition();

    Report &m_report;
    SaveHook m_save;
    Preview m_preview;
    TemplateDocument m_document;
    DesignerPageView *m_view;
    QActionGroup *m_insertTools;
    QComboBox *m_pages;
    QLabel *m_position;
    QLabel *m_zoomText;
    QEventLoop *m_loop = nullptr;
};
