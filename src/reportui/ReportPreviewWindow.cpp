#include "ReportPreviewWindow.h"

#include "PageSetupDialog.h"
#include "PageThumbnailModel.h"
#include "PreviewPageView.h"
#include "PrintDialogs.h"
#include "report/PreparedReportReader.h"
#include "report/PreparedReportWriter.h"
#include "report/Report.h"
#include "report/ReportError.h"
#include "report/ReportPdfWriter.h"
#include "report/ReportRenderer.h"
#include "widgets/FileDialogs.h"
#include "widgets/Messages.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPrinter>
#include <QSaveFile>
#include <QSpinBox>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString preparedFilter = QStringLiteral("Quillet 预览文件 (*.qpr)");
const QString pdfFilter = QStringLiteral("PDF 文件 (*.pdf)");
constexpr int defaultImageDpi = 150;

QString withSuffix(const QString &fileName, const QString &suffix)
{
    return QFileInfo(fileName).suffix().isEmpty() ? fileName + QLatin1Char('.') + suffix : fileName;
}

} // namespace

ReportPreviewWindow::ReportPreviewWindow(QList<PreparedPage> pages, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("ReportPreviewWindow"));
    setWindowTitle(QStringLiteral("预览"));
    setModal(true);
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint);
    resize(1000, 760);
    createWidgets();
    createActions();
    setPages(std::move(pages));
}

ReportPreviewWindow::ReportPreviewWindow(Report &report, QWidget *parent)
    : ReportPreviewWindow(report.preparedPages(), parent)
{
    m_printerName = report.definition().printerName;
    setReprepare([&report](const ReportPage &settings) {
        report.definition().applyPageSetup(settings);
        report.prepare();
        return report.preparedPages();
    });
}

void ReportPreviewWindow::createWidgets()
{
    m_toolBar = new QToolBar(this);
    m_toolBar->setObjectName(QStringLiteral("tlbPreview"));
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);

    m_view = new PreviewPageView(this);
    m_view->setObjectName(QStringLiteral("pagesView"));
    connect(m_view, &PreviewPageView::currentPageChanged, this, &ReportPreviewWindow::pageShown);
    connect(m_view, &PreviewPageView::zoomChanged, this, &ReportPreviewWindow::zoomShown);

    m_thumbnails = new PageThumbnailModel(this);
    m_outline = new QListView(this);
    m_outline->setObjectName(QStringLiteral("lstOutline"));
    m_outline->setModel(m_thumbnails);
    m_outline->setViewMode(QListView::ListMode);
    m_outline->setUniformItemSizes(true); // asks one row for its size, not all of them
    m_outline->setIconSize(
        QSize(PageThumbnailModel::thumbnailWidth, PageThumbnailModel::thumbnailWidth * 3 / 2));
    m_outline->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_outline->hide();
    connect(m_outline, &QListView::clicked, this,
            [this](const QModelIndex &index) { m_view->showPage(index.row()); });

    m_findText = new QLineEdit(this);
    m_findText->setObjectName(QStringLiteral("edtFind"));
    m_findText->setPlaceholderText(QStringLiteral("查找文字"));
    m_matchCase = new QCheckBox(QStringLiteral("区分大小写"), this);
    m_matchCase->setObjectName(QStringLiteral("chkMatchCase"));
    connect(m_findText, &QLineEdit::textChanged, this, &ReportPreviewWindow::searchChanged);
    connect(m_matchCase, &QCheckBox::toggled, this, &ReportPreviewWindow::searchChanged);
    connect(m_findText, &QLineEdit::returnPressed, this,
            [this] { guarded([this] { actFindNextExecute(); }); });
    m_findBar = new QWidget(this);
    m_findBar->setObjectName(QStringLiteral("pnlFind"));
    auto *findLayout = new QHBoxLayout(m_findBar);
    findLayout->setContentsMargins(4, 0, 4, 0);
    findLayout->addWidget(new QLabel(QStringLiteral("查找："), m_findBar));
    findLayout->addWidget(m_findText, 1);
    findLayout->addWidget(m_matchCase);
    m_findBar->hide();

    m_pageNumber = new QSpinBox(this);
    m_pageNumber->setObjectName(QStringLiteral("spnPage"));
    m_pageNumber->setKeyboardTracking(false);
    connect(m_pageNumber, &QSpinBox::valueChanged, this, [this](int number) {
        if (number - 1 != m_view->currentPage())
            m_view->showPage(number - 1);
    });
    m_pageCount = new QLabel(this);
    m_pageCount->setObjectName(QStringLiteral("lblPageCount"));
    m_zoomText = new QLabel(this);
    m_zoomText->setObjectName(QStringLiteral("lblZoom"));

    auto *splitter = new QSplitter(this);
    splitter->addWidget(m_outline);
    splitter->addWidget(m_view);
    splitter->setStretchFactor(1, 1);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(m_toolBar);
    layout->addWidget(m_findBar);
    layout->addWidget(splitter, 1);
}

QAction *ReportPreviewWindow::action(const char *name, const QString &text,
                                     const QKeySequence &shortcut,
                                     void (ReportPreviewWindow::*handler)())
{
    auto *a = new QAction(text, this);
    a->setObjectName(QLatin1String(name));
    a->setShortcut(shortcut);
    if (!shortcut.isEmpty())
        a->setToolTip(QStringLiteral("%1 (%2)").arg(text, shortcut.toString()));
    connect(a, &QAction::triggered, this,
            [this, handler] { guarded([=, this] { (this->*handler)(); }); });
    addAction(a);
    m_actions.insert(QLatin1String(name), a);
    return a;
}

void ReportPreviewWindow::createActions()
{
    using W = ReportPreviewWindow;
    QToolBar *t = m_toolBar;
    t->addAction(
        action("actPrint", QStringLiteral("打印"), QKeySequence::Print, &W::actPrintExecute));
    t->addAction(action("actOpen", QStringLiteral("打开"), QKeySequence::Open, &W::actOpenExecute));
    t->addAction(action("actSave", QStringLiteral("保存"), QKeySequence::Save, &W::actSaveExecute));
    t->addAction(action("actExport", QStringLiteral("导出"), {}, &W::actExportExecute));
    t->addAction(
        action("actQuickExport", QStringLiteral("快速导出 PDF"), {}, &W::actQuickExportExecute));
    t->addSeparator();
    t->addAction(
        action("actZoomIn", QStringLiteral("放大"), QKeySequence::ZoomIn, &W::actZoomInExecute));
    t->addAction(
        action("actZoomOut", QStringLiteral("缩小"), QKeySequence::ZoomOut, &W::actZoomOutExecute));
    QAction *zoom100 = action("actZoom100", QStringLiteral("100%"),
                              QKeySequence(Qt::CTRL | Qt::Key_0), &W::actZoom100Execute);
    QAction *pageWidth =
        action("actPageWidth", QStringLiteral("页宽"), {}, &W::actPageWidthExecute);
    QAction *wholePage =
        action("actWholePage", QStringLiteral("整页"), {}, &W::actWholePageExecute);
    QAction *multiple =
        action("actMultiplePages", QStringLiteral("多页"), {}, &W::actMultiplePagesExecute);
    auto *zoomMenu = new QMenu(this);
    zoomMenu->addActions({zoom100, pageWidth, wholePage, multiple});
    auto *zoomButton = new QToolButton(this);
    zoomButton->setObjectName(QStringLiteral("btnZoom"));
    zoomButton->setDefaultAction(zoom100);
    zoomButton->setMenu(zoomMenu);
    zoomButton->setPopupMode(QToolButton::MenuButtonPopup);
    t->addWidget(zoomButton);
    t->addWidget(m_zoomText);
    t->addSeparator();
    t->addAction(action("actFind", QStringLiteral("查找"), QKeySequence::Find, &W::actFindExecute));
    action("actFindNext", QStringLiteral("查找下一个"), QKeySequence::FindNext,
           &W::actFindNextExecute);
    action("actFindPrevious", QStringLiteral("查找上一个"), QKeySequence::FindPrevious,
           &W::actFindPreviousExecute);
    auto *findLayout = static_cast<QHBoxLayout *>(m_findBar->layout());
    for (const char *name : {"actFindPrevious", "actFindNext"}) {
        auto *button = new QToolButton(m_findBar);
        button->setDefaultAction(m_actions.value(QLatin1String(name)));
        findLayout->addWidget(button);
    }
    QAction *outline = action("actOutline", QStringLiteral("大纲"), {}, &W::actOutlineExecute);
    outline->setCheckable(true);
    t->addAction(outline);
    t->addAction(action("actPageSetup", QStringLiteral("页面设置"), {}, &W::actPageSetupExecute));
    t->addAction(action("actEdit", QStringLiteral("编辑"), {}, &W::actEditExecute));
    t->addSeparator();
    t->addAction(action("actFirstPage", QStringLiteral("首页"),
                        QKeySequence(Qt::CTRL | Qt::Key_Home), &W::actFirstPageExecute));
    t->addAction(action("actPriorPage", QStringLiteral("上一页"), QKeySequence(Qt::Key_PageUp),
                        &W::actPriorPageExecute));
    t->addWidget(m_pageNumber);
    t->addWidget(m_pageCount);
    t->addAction(action("actNextPage", QStringLiteral("下一页"), QKeySequence(Qt::Key_PageDown),
                        &W::actNextPageExecute));
    t->addAction(action("actLastPage", QStringLiteral("末页"), QKeySequence(Qt::CTRL | Qt::Key_End),
                        &W::actLastPageExecute));
    m_actions.value(QStringLiteral("actPageSetup"))->setEnabled(false);
    m_actions.value(QStringLiteral("actEdit"))->setEnabled(false);
}

void ReportPreviewWindow::setReprepare(Reprepare reprepare)
{
    m_reprepare = std::move(reprepare);
    updateCommands();
}

void ReportPreviewWindow::setEditTemplate(EditTemplate edit)
{
    m_edit = std::move(edit);
    updateCommands();
}

int ReportPreviewWindow::currentPage() const
{
    return m_view->currentPage();
}

void ReportPreviewWindow::guarded(const std::function<void()> &command)
{
    try {
        command();
    } catch (const QuilletError &e) {
        Messages::error(this, e.message());
    }
}

void ReportPreviewWindow::setPages(QList<PreparedPage> pages)
{
    m_pages = std::move(pages);
    m_matches.reset();
    m_match = -1;
    m_thumbnails->setPages(&m_pages);
    m_view->setPages(&m_pages);
    const int count = int(m_pages.size());
    m_pageNumber->setRange(count > 0 ? 1 : 0, count);
    m_pageCount->setText(QStringLiteral("/ %1 页").arg(count));
    pageShown(m_view->currentPage());
    zoomShown(m_view->zoom());
    updateCommands();
}

void ReportPreviewWindow::updateCommands()
{
    const bool fromTemplate = !m_fromFile;
    m_actions.value(QStringLiteral("actPageSetup"))
        ->setEnabled(fromTemplate && m_reprepare && !m_pages.isEmpty());
    m_actions.value(QStringLiteral("actEdit"))->setEnabled(fromTemplate && bool(m_edit));
}

void ReportPreviewWindow::pageShown(int index)
{
    const QSignalBlocker blocker(m_pageNumber);
    m_pageNumber->setValue(m_pages.isEmpty() ? 0 : index + 1);
    const int last = int(m_pages.size()) - 1;
    m_actions.value(QStringLiteral("actFirstPage"))->setEnabled(index > 0);
    m_actions.value(QStringLiteral("actPriorPage"))->setEnabled(index > 0);
    m_actions.value(QStringLiteral("actNextPage"))->setEnabled(index < last);
    m_actions.value(QStringLiteral("actLastPage"))->setEnabled(index < last);
    if (m_outline->isVisible())
        m_outline->setCurrentIndex(m_thumbnails->index(index));
}

void ReportPreviewWindow::zoomShown(double zoom)
{
    m_zoomText->setText(QStringLiteral("%1%").arg(qRound(zoom * 100)));
}

bool ReportPreviewWindow::refuseWhenEmpty(const QString &what)
{
    if (!m_pages.isEmpty())
        return false;
    Messages::information(this, QStringLiteral("没有可%1的页面。").arg(what));
    return true;
}

void ReportPreviewWindow::actPrintExecute()
{
    if (refuseWhenEmpty(QStringLiteral("打印")))
        return;
    QPrinter printer(QPrinter::HighResolution);
    if (!m_printerName.isEmpty())
        printer.setPrinterName(m_printerName);
    if (!PrintDialogs::choose(printer, int(m_pages.size()), this))
        return;
    QList<PreparedPage> chosen;
    switch (printer.printRange()) {
    case QPrinter::PageRange: {
        const int from = std::max(printer.fromPage(), 1);
        const int to = std::min(printer.toPage(), int(m_pages.size()));
        chosen = m_pages.mid(from - 1, std::max(0, to - from + 1));
        break;
    }
    case QPrinter::CurrentPage:
        chosen = {m_pages[currentPage()]};
        break;
    default:
        chosen = m_pages;
        break;
    }
    if (chosen.isEmpty())
        return;
    // The engine draws each copy itself, so the hook sees every printed sheet.
    ReportPrinter::print(chosen, {QString(), printer.copyCount(), m_printHook}, printer);
}

void ReportPreviewWindow::actOpenExecute()
{
    const QString fileName =
        FileDialogs::getOpenFileName(this, QStringLiteral("打开预览文件"), preparedFilter);
    if (fileName.isEmpty())
        return;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw ReportError(QStringLiteral("无法打开文件 %1：%2").arg(fileName, file.errorString()));
    QList<PreparedPage> pages = PreparedReportReader::read(file.readAll());
    m_fromFile = true;
    setPages(std::move(pages));
}

void ReportPreviewWindow::actSaveExecute()
{
    if (refuseWhenEmpty(QStringLiteral("保存")))
        return;
    QString fileName =
        FileDialogs::getSaveFileName(this, QStringLiteral("保存预览文件"), preparedFilter);
    if (fileName.isEmpty())
        return;
    fileName = withSuffix(fileName, QStringLiteral("qpr"));
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(PreparedReportWriter::write(m_pages)) < 0 ||
        !file.commit())
        throw ReportError(QStringLiteral("无法写入文件 %1：%2").arg(fileName, file.errorString()));
}

void ReportPreviewWindow::actExportExecute()
{
    if (refuseWhenEmpty(QStringLiteral("导出")))
        return;
    const QString filter = QStringList{pdfFilter, QStringLiteral("PNG 图片 (*.png)"),
                                       QStringLiteral("JPEG 图片 (*.jpg *.jpeg)")}
                               .join(QStringLiteral(";;"));
    const QString fileName = FileDialogs::getSaveFileName(this, QStringLiteral("导出"), filter);
    if (fileName.isEmpty())
        return;
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == u"png")
        exportImages(fileName, "PNG");
    else if (suffix == u"jpg" || suffix == u"jpeg")
        exportImages(fileName, "JPEG");
    else
        exportPdf(withSuffix(fileName, QStringLiteral("pdf")));
}

void ReportPreviewWindow::actQuickExportExecute()
{
    if (refuseWhenEmpty(QStringLiteral("导出")))
        return;
    const QString fileName =
        FileDialogs::getSaveFileName(this, QStringLiteral("快速导出 PDF"), pdfFilter);
    if (!fileName.isEmpty())
        exportPdf(withSuffix(fileName, QStringLiteral("pdf")));
}

void ReportPreviewWindow::exportPdf(const QString &fileName)
{
    ReportPdfWriter::write(m_pages, fileName);
}

// One image per page: name_1.png, name_2.png... numbered to the same width, so that they
// sort in page order.
void ReportPreviewWindow::exportImages(const QString &fileName, const char *format)
{
    QInputDialog ask(this);
    ask.setObjectName(QStringLiteral("dlgImageResolution"));
    ask.setWindowTitle(QStringLiteral("导出图片"));
    ask.setLabelText(QStringLiteral("分辨率 (dpi)："));
    ask.setInputMode(QInputDialog::IntInput);
    ask.setIntRange(36, 1200);
    ask.setIntValue(defaultImageDpi);
    if (ask.exec() != QDialog::Accepted)
        return;
    const int dpi = ask.intValue();
    const QFileInfo info(fileName);
    const int width = int(QString::number(m_pages.size()).size());
    ReportRenderer renderer;
    for (int i = 0; i < m_pages.size(); ++i) {
        const QString path = info.dir().filePath(QStringLiteral("%1_%2.%3")
                                                     .arg(info.completeBaseName())
                                                     .arg(i + 1, width, 10, QLatin1Char('0'))
                                                     .arg(info.suffix()));
        if (!renderer.renderImage(m_pages[i], dpi).save(path, format))
            throw ReportError(QStringLiteral("无法写入图片 %1").arg(path));
    }
}

void ReportPreviewWindow::actZoomInExecute()
{
    m_view->setZoom(m_view->zoom() * PreviewPageView::zoomStep);
}

void ReportPreviewWindow::actZoomOutExecute()
{
    m_view->setZoom(m_view->zoom() / PreviewPageView::zoomStep);
}

void ReportPreviewWindow::actZoom100Execute()
{
    m_view->setZoom(1);
}

void ReportPreviewWindow::actPageWidthExecute()
{
    m_view->setZoomMode(PreviewPageView::ZoomMode::PageWidth);
}

void ReportPreviewWindow::actWholePageExecute()
{
    m_view->setZoomMode(PreviewPageView::ZoomMode::WholePage);
}

void ReportPreviewWindow::actMultiplePagesExecute()
{
    m_view->setZoomMode(PreviewPageView::ZoomMode::MultiplePages);
}

void ReportPreviewWindow::actFindExecute()
{
    m_findBar->show();
    m_findText->setFocus();
    m_findText->selectAll();
}

void ReportPreviewWindow::actFindNextExecute()
{
    findAgain(true);
}

void ReportPreviewWindow::actFindPreviousExecute()
{
    findAgain(false);
}

void ReportPreviewWindow::searchChanged()
{
    m_matches.reset();
    m_match = -1;
    m_view->setHighlights({}, -1, -1);
}

// The first search goes from the page in view; later ones step through the matches and
// wrap around at either end.
void ReportPreviewWindow::findAgain(bool forward)
{
    const QString text = m_findText->text();
    if (text.isEmpty()) {
        actFindExecute();
        return;
    }
    if (!m_matches) {
        m_matches = PreparedTextSearch::find(
            m_pages, text, m_matchCase->isChecked() ? Qt::CaseSensitive : Qt::CaseInsensitive);
        m_found.clear();
        for (const PreparedTextSearch::Match &m : *m_matches)
            m_found[m.page].append(m.item);
    }
    const QList<PreparedTextSearch::Match> &matches = *m_matches;
    if (matches.isEmpty()) {
        Messages::information(this, QStringLiteral("没有找到“%1”。").arg(text));
        return;
    }
    const int count = int(matches.size());
    if (m_match >= 0) {
        m_match = (m_match + (forward ? 1 : count - 1)) % count;
    } else {
        const int page = currentPage();
        m_match = forward ? 0 : count - 1;
        for (int i = 0; i < count; ++i) {
            const int at = forward ? i : count - 1 - i;
            if (forward ? matches[at].page >= page : matches[at].page <= page) {
                m_match = at;
                break;
            }
        }
    }
    const PreparedTextSearch::Match &found = matches[m_match];
    m_view->setHighlights(m_found, found.page, found.item);
    m_view->showPage(found.page);
}

void ReportPreviewWindow::actOutlineExecute()
{
    const bool show = m_actions.value(QStringLiteral("actOutline"))->isChecked();
    m_outline->setVisible(show);
    if (show)
        m_outline->setCurrentIndex(m_thumbnails->index(currentPage()));
}

void ReportPreviewWindow::actPageSetupExecute()
{
    if (!m_reprepare || m_pages.isEmpty())
        return;
    PageSetupDialog dialog(m_pages[currentPage()].page, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const int keep = currentPage();
    setPages(m_reprepare(dialog.settings()));
    m_view->showPage(keep);
}

void ReportPreviewWindow::actEditExecute()
{
    if (!m_edit)
        return;
    const int keep = currentPage();
    if (std::optional<QList<PreparedPage>> pages = m_edit()) {
        setPages(std::move(*pages));
        m_view->showPage(keep);
    }
}

void ReportPreviewWindow::actFirstPageExecute()
{
    m_view->showPage(0);
}

void ReportPreviewWindow::actPriorPageExecute()
{
    m_view->showPage(currentPage() - 1);
}

void ReportPreviewWindow::actNextPageExecute()
{
    m_view->showPage(currentPage() + 1);
}

void ReportPreviewWindow::actLastPageExecute()
{
    m_view->showPage(int(m_pages.size()) - 1);
}
