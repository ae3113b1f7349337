#include "DesignerPageCommands.h"

#include "DesignerBackgroundDialog.h"
#include "DesignerCalibrationDialog.h"
#include "DesignerCalibrationSheet.h"
#include "DesignerPanels.h"
#include "PageSetupDialog.h"
#include "report/ReportError.h"
#include "widgets/Messages.h"

#include <QAction>
#include <QMainWindow>
#include <QMenuBar>
#include <QPrinterInfo>

DesignerPageCommands::DesignerPageCommands(QMainWindow *window, TemplateDocument *document)
    : QObject(window), m_window(window), m_document(document)
{
    setObjectName(QStringLiteral("pageCommands"));
    QMenu *menu = window->menuBar()->addMenu(QStringLiteral("页面(&P)"));
    menu->setObjectName(QStringLiteral("menuPage"));
    menu->addAction(action("actPageSettings", QStringLiteral("页面设置(&S)…"),
                           &DesignerPageCommands::actPageSettingsExecute));
    menu->addSeparator();
    menu->addAction(action("actSetBackground", QStringLiteral("设置背景图片(&B)…"),
                           &DesignerPageCommands::actSetBackgroundExecute));
    menu->addAction(action("actCalibrateBackground", QStringLiteral("两点校准背景图片(&C)…"),
                           &DesignerPageCommands::actCalibrateBackgroundExecute));
    menu->addAction(action("actRemoveBackground", QStringLiteral("删除背景图片(&R)"),
                           &DesignerPageCommands::actRemoveBackgroundExecute));
    menu->addSeparator();
    menu->addAction(action("actCalibrationSheet", QStringLiteral("打印校准页并校正打印机(&P)…"),
                           &DesignerPageCommands::actCalibrationSheetExecute));
}

QAction *DesignerPageCommands::action(const char *name, const QString &text,
                                      void (DesignerPageCommands::*slot)())
{
    auto *a = new QAction(text, m_window);
    a->setObjectName(QLatin1String(name));
    connect(a, &QAction::triggered, this, slot);
    return a;
}

int DesignerPageCommands::currentPage() const
{
    const QList<TemplateDocument::ObjectId> picked = m_document->selection();
    if (!picked.isEmpty())
        if (const auto place = m_document->place(picked.first()))
            return place->page;
    if (m_document->definition().pages.isEmpty()) {
        Messages::information(m_window, QStringLiteral("模板还没有页面，请先添加一页。"));
        return -1;
    }
    return 0;
}

void DesignerPageCommands::actPageSettingsExecute()
{
    const int page = currentPage();
    if (page < 0)
        return;
    PageSetupDialog dialog(m_document->definition().pages[page], m_window);
    dialog.offerPrinters(QPrinterInfo::availablePrinterNames(),
                         m_document->definition().printerName);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const ReportPage settings = dialog.settings();
    const bool pageChanged = settings != m_document->definition().pages[page];
    const bool printerChanged = dialog.printerName() != m_document->definition().printerName;
    // The page and the printer change as one step.
    QUndoStack *undo = m_document->undoStack();
    if (pageChanged && printerChanged)
        undo->beginMacro(QStringLiteral("页面设置"));
    m_document->editPage(page, QStringLiteral("页面设置"), [&](ReportPage &p) { p = settings; });
    m_document->setPrinterName(dialog.printerName());
    if (pageChanged && printerChanged)
        undo->endMacro();
}

void DesignerPageCommands::actSetBackgroundExecute()
{
    const int page = currentPage();
    if (page < 0)
        return;
    const std::optional<PictureFile> scan =
        openPictureFile(m_window, QStringLiteral("选择扫描的单据图片"));
    if (!scan)
        return;
    DesignerBackgroundDialog dialog(scan->image, m_document->definition().pages[page].sizeMm(),
                                    m_window);
    if (dialog.exec() != QDialog::Accepted)
        return;
    try {
        m_document->setBackground(page, scan->bytes, dialog.size(), dialog.sizeMm());
    } catch (const ReportError &e) {
        Messages::error(m_window, e.message());
    }
}

void DesignerPageCommands::actRemoveBackgroundExecute()
{
    const int page = currentPage();
    if (page >= 0)
        m_document->removeBackground(page);
}

void DesignerPageCommands::actCalibrateBackgroundExecute()
{
    const int page = currentPage();
    if (page < 0)
        return;
    const ReportPage &settings = m_document->definition().pages[page];
    const QImage scan = QImage::fromData(settings.background);
    if (scan.isNull()) {
        Messages::information(m_window, QStringLiteral("这一页还没有背景图片，请先设置背景图片。"));
        return;
    }
    DesignerCalibrationDialog dialog(scan, settings.backgroundRectMm(), m_window);
    if (dialog.exec() == QDialog::Accepted)
        if (const auto rect = dialog.backgroundRect())
            m_document->setBackgroundRect(page, *rect);
}

void DesignerPageCommands::actCalibrationSheetExecute()
{
    const int page = currentPage();
    if (page < 0)
        return;
    const ReportPage settings = m_document->definition().pages[page];
    const QString printer = m_document->definition().printerName;
    const QString named = printer.isEmpty() ? QStringLiteral("系统默认打印机") : printer;
    if (!Messages::askOkCancel(m_window,
                               QStringLiteral("将在“%1”上打印校准页。请放入与模板相同的纸张，"
                                              "打印后用尺子量出各十字的位置。")
                                   .arg(named)))
        return;
    try {
        DesignerCalibrationSheet::print(settings, printer, m_sheetPrinter);
    } catch (const ReportError &e) {
        Messages::error(m_window, e.message());
        return;
    }
    DesignerSheetDialog dialog(Calibration::sheetCrosses(settings.sizeMm()),
                               Calibration::correctionOf(settings), m_window);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (const auto correction = dialog.correction())
        m_document->editPage(page, QStringLiteral("打印机校正"),
                             [&](ReportPage &p) { Calibration::applyCorrection(p, *correction); });
}
