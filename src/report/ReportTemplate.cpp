#include "ReportTemplate.h"

void ReportTemplate::applyPageSetup(const ReportPage &settings)
{
    for (ReportPage &page : pages) {
        if (page.name != settings.name)
            continue;
        page.paper = settings.paper;
        page.customSize = settings.customSize;
        page.landscape = settings.landscape;
        page.margins = settings.margins;
        page.printOffset = settings.printOffset;
        page.printScaleX = settings.printScaleX;
        page.printScaleY = settings.printScaleY;
    }
}
