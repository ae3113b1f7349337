#pragma once

#include "widgets/TChildForm.h"

#include <QUrl>

class QStatusBar;
class QWebEngineDownloadRequest;
class QWebEngineProfile;
class QWebEngineView;

// The status bar text for a load progress report: current × 100 ÷ maximum in general
// format with "%"; empty when the report carries no progress (either value below 1).
QString loadProgressText(double current, double maximum);

// "单据模板下载": the maker's template page in a window of its own. Loading progress goes to
// the main window's status bar. A template the page offers is saved where the user says,
// into the download folder unless told otherwise. When the page cannot be reached, the
// window says so and lists the sample templates that come with the program.
class TbrowserForm : public TChildForm {
    Q_OBJECT
public:
    TbrowserForm(QStatusBar *statusBar, QWidget *parent = nullptr);
    ~TbrowserForm() override;

    QWebEngineView *WebBrowser;

    void navigate(const QUrl &url);
    void WebBrowserProgress(double current, double maximum);
    void WebBrowserDocumentComplete(bool ok);

    // Where templates go unless the user picks another place.
    static QString downloadFolder();

private:
    QStatusBar *m_statusBar;
    QWebEngineProfile *m_profile;
    QUrl m_requested;

    void showOfflinePage();
    void saveDownload(QWebEngineDownloadRequest *download);
};
