#include "TbrowserForm.h"

#include "SampleTemplates.h"

#include "store/ProgramFolder.h"
#include "widgets/FileDialogs.h"

#include <QDir>
#include <QFileInfo>
#include <QStatusBar>
#include <QVBoxLayout>
#include <QWebEngineDownloadRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

QString loadProgressText(double current, double maximum)
{
    if (current < 1 || maximum < 1)
        return {};
    return QString::number(current * 100 / maximum, 'g', 15) + u'%';
}

QString TbrowserForm::downloadFolder()
{
    return ProgramFolder::file(QStringLiteral("download"));
}

TbrowserForm::TbrowserForm(QStatusBar *statusBar, QWidget *parent)
    : TChildForm(parent), m_statusBar(statusBar), m_profile(new QWebEngineProfile(this))
{
    setObjectName(QStringLiteral("TbrowserForm"));
    setWindowTitle(QStringLiteral("单据模板下载"));
    setAttribute(Qt::WA_DeleteOnClose);
    WebBrowser = new QWebEngineView(this);
    WebBrowser->setObjectName(QStringLiteral("WebBrowser"));
    WebBrowser->setPage(new QWebEnginePage(m_profile, WebBrowser));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(WebBrowser);

    connect(WebBrowser, &QWebEngineView::loadProgress, this,
            [this](int percent) { WebBrowserProgress(percent, 100); });
    connect(WebBrowser, &QWebEngineView::loadFinished, this,
            &TbrowserForm::WebBrowserDocumentComplete);
    connect(m_profile, &QWebEngineProfile::downloadRequested, this, &TbrowserForm::saveDownload);
}

TbrowserForm::~TbrowserForm()
{
    // The page must go before the profile it was made with.
    delete WebBrowser;
}

void TbrowserForm::navigate(const QUrl &url)
{
    m_requested = url;
    WebBrowser->load(url);
}

void TbrowserForm::WebBrowserProgress(double current, double maximum)
{
    const QString text = loadProgressText(current, maximum);
    if (!text.isEmpty() && m_statusBar)
        m_statusBar->showMessage(text);
}

void TbrowserForm::WebBrowserDocumentComplete(bool ok)
{
    if (m_statusBar)
        m_statusBar->clearMessage();
    if (!ok && !m_requested.isEmpty())
        showOfflinePage();
}

void TbrowserForm::showOfflinePage()
{
    const QString address = m_requested.toDisplayString();
    m_requested.clear(); // the page below is not the one asked for, and must not loop
    WebBrowser->setHtml(
        SampleTemplates::offlinePage(address, SampleTemplates::install(downloadFolder())),
        QUrl(QStringLiteral("about:blank")));
}

void TbrowserForm::saveDownload(QWebEngineDownloadRequest *download)
{
    QDir().mkpath(downloadFolder());
    const QString path = FileDialogs::getSaveFileName(
        this, QStringLiteral("保存单据模板"), QStringLiteral("单据模板 (*.fr3);;所有文件 (*)"),
        QDir(downloadFolder()).filePath(download->downloadFileName()));
    if (path.isEmpty()) {
        download->cancel();
        return;
    }
    const QFileInfo target(path);
    download->setDownloadDirectory(target.absolutePath());
    download->setDownloadFileName(target.fileName());
    connect(download, &QWebEngineDownloadRequest::isFinishedChanged, this, [this, download] {
        if (!m_statusBar)
            return;
        const QString file = QDir::toNativeSeparators(
            QDir(download->downloadDirectory()).filePath(download->downloadFileName()));
        if (download->state() == QWebEngineDownloadRequest::DownloadCompleted)
            m_statusBar->showMessage(QStringLiteral("模板已保存到 %1").arg(file));
        else
            m_statusBar->showMessage(
                QStringLiteral("模板下载未完成：%1").arg(download->interruptReasonString()));
    });
    download->accept();
}
