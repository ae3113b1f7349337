#include "PagedOutput.h"

#include "ReportError.h"
#include "ReportRenderer.h"

#include <QPagedPaintDevice>
#include <QPainter>

void PagedOutput::paint(QPagedPaintDevice &device, int count,
                        const std::function<Sheet(int index)> &sheetAt)
{
    if (count <= 0)
        return;
    ReportRenderer renderer;
    QPainter painter;
    QPageLayout current;
    for (int i = 0; i < count; ++i) {
        const Sheet sheet = sheetAt(i);
        const QPageLayout layout = ReportRenderer::pageLayout(sheet.page->page);
        // A layout change takes effect on the next page, so it is made before newPage().
        // Size and orientation are set one by one: a printer refuses a whole layout whose
        // zero margins are below its own minimum, and margins do not matter on a full page.
        if (i == 0 || !layout.isEquivalentTo(current)) {
            device.setPageSize(layout.pageSize());
            device.setPageOrientation(layout.orientation());
            device.setPageMargins(QMarginsF(), QPageLayout::Millimeter);
            current = layout;
        }
        if (i == 0) {
            if (!painter.begin(&device))
                throw ReportError(QStringLiteral("无法开始输出（打印机或文件不可用）"));
        } else if (!device.newPage()) {
            throw ReportError(QStringLiteral("无法开始新的一页"));
        }
        renderer.drawPage(painter, *sheet.page, sheet.correction);
    }
    if (!painter.end())
        throw ReportError(QStringLiteral("输出未能完成"));
}
