#include "ReportOutlets.h"

#include "printing/RecordReport.h"
#include "report/Report.h"
#include "reportui/ReportDesignerWindow.h"
#include "reportui/ReportPreviewWindow.h"

namespace {

// The engine's preview window, its edit command reaching the record window's designer.
void enginePreview(QWidget *parent, Report &report, const ReportOutlets::PreviewHooks &hooks)
{
    ReportPreviewWindow window(report, parent);
    window.setPrintHook(hooks.printPage);
    if (hooks.editTemplate)
        window.setEditTemplate([&]() -> std::optional<QList<PreparedPage>> {
            if (!hooks.editTemplate())
                return std::nullopt;
            return report.preparedPages();
        });
    window.exec();
}

// The designer's preview prepares the template as designed over the window's records and
// prints from the preview as the record window's preview does: no scanned form on paper.
void previewFromDesigner(QWidget *parent, Report &report)
{
    report.prepare();
    ReportOutlets::current().preview(parent, report, {&RecordReport::frxReportPrintPage, {}});
}

// The engine's designer, its preview command showing the engine's preview.
void engineDesigner(QWidget *parent, Report &report, const ReportOutlets::SaveHook &save)
{
    ReportDesignerWindow window(report, save, previewFromDesigner, parent);
    window.exec();
}

ReportOutlets &installed()
{
    static ReportOutlets outlets;
    return outlets;
}

} // namespace

ReportOutlets ReportOutlets::current()
{
    ReportOutlets outlets = installed();
    if (!outlets.preview)
        outlets.preview = enginePreview;
    if (!outlets.designer)
        outlets.designer = engineDesigner;
    if (!outlets.printer)
        outlets.printer = [](const QList<PreparedPage> &pages, const ReportPrinter::Job &job) {
            ReportPrinter::print(pages, job);
        };
    return outlets;
}

void ReportOutlets::install(ReportOutlets outlets)
{
    installed() = std::move(outlets);
}
