#include "ReportPage.h"

#include "PaperSizes.h"

QSizeF ReportPage::paperSizeMm() const
{
    const QSizeF named = PaperSizes::sizeOf(paper);
    return named.isEmpty() ? customSize : named;
}

QSizeF ReportPage::sizeMm() const
{
    const QSizeF portrait = paperSizeMm();
    return landscape ? portrait.transposed() : portrait;
}
