#pragma once

#include "printer/ReportPrinter.h"
#include "report/PreparedPage.h"
#include "report/PreparedTextSearch.h"

#include <QDialog>
#include <QHash>
#include <QKeySequence>
#include <functional>
#include <optional>

class PageThumbnailModel;
class Report;
class PreviewPageView;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListView;
class QSpinBox;
class QToolBar;
class QWidget;

// The engine's modal preview of prepared pages, at 100 % on opening: print, open and save
// the prepared pages, export, zoom, find, outline, page setup, edit and a page navigator.
// Pages are drawn as they come into sight.
class ReportPreviewWindow : public QDialog {
    Q_OBJECT

public:
    // Prepares the report again with a page's settings as the user set them up, and gives
    // the new pages. Throws ReportError when preparing fails.
    using Reprepare = std::function<QList<PreparedPage>(const ReportPage &settings)>;
    // Opens the designer on the template; the pages prepared again when it was saved.
    using EditTemplate = std::function<std::optional<QList<PreparedPage>>()>;

    explicit ReportPreviewWindow(QList<PreparedPage> pages, QWidget *parent = nullptr);
    // Over a report: its prepared pages and its template's printer; page setup goes into
    // its template and prepares it again.
    explicit ReportPreviewWindow(Report &report, QWidget *parent = nullptr);

    // Called before each printed page of each copy (it removes the background picture).
    void setPrintHook(ReportPrinter::PageHook hook) { m_printHook = std::move(hook); }
    // The template's printer, preselected in the print dialog; empty: the default one.
    void setPrinterName(const QString &name) { m_printerName = name; }
    // Without these the page setup and edit commands are unavailable.
    void setReprepare(Reprepare reprepare);
    void setEditTemplate(EditTemplate edit);

    const QList<PreparedPage> &pages() const { return m_pages; }
    int currentPage() const;
    PreviewPageView *pageView() const { return m_view; }
    PageThumbnailModel *thumbnails() const { return m_thumbnails; }

private:
    void actPrintExecute();
    void actOpenExecute();
    void actSaveExecute();
    void actExportExecute();
    void actQuickExportExecute();
    void actZoomInExecute();
    void actZoomOutExecute();
    void actZoom100Execute();
    void actPageWidthExecute();
    void actWholePageExecute();
    void actMultiplePagesExecute();
    void actFindExecute();
    void actFindNextExecute();
    void actFindPreviousExecute();
    void actOutlineExecute();
    void actPageSetupExecute();
    void actEditExecute();
    void actFirstPageExecute();
    void actPriorPageExecute();
    void actNextPageExecute();
    void actLastPageExecute();

    QAction *action(const char *name, const QString &text, const QKeySequence &shortcut,
                    void (ReportPreviewWindow::*handler)());
    void createActions();
    void createWidgets();
    void guarded(const std::function<void()> &command);
    void setPages(QList<PreparedPage> pages);
    void pageShown(int index);
    void zoomShown(double zoom);
    void updateCommands();
    bool refuseWhenEmpty(const QString &what);
    void exportPdf(const QString &fileName);
    void exportImages(const QString &fileName, const char *format);
    void findAgain(bool forward);
    void searchChanged();

    QList<PreparedPage> m_pages;
    ReportPrinter::PageHook m_printHook;
    QString m_printerName;
    Reprepare m_reprepare;
    EditTemplate m_edit;
    bool m_fromFile = false; // opened from a file: no template behind the pages

    QToolBar *m_toolBar;
    PreviewPageView *m_view;
    PageThumbnailModel *m_thumbnails;
    QListView *m_outline;
    QWidget *m_findBar;
    QLineEdit *m_findText;
    QCheckBox *m_matchCase;
    QSpinBox *m_pageNumber;
    QLabel *m_pageCount;
    QLabel *m_zoomText;
    QHash<QString, QAction *> m_actions;

    std::optional<QList<PreparedTextSearch::Match>> m_matches; // nullopt: search again
    QHash<int, QList<int>> m_found;                            // the matches' items by page
    int m_match = -1;
};
