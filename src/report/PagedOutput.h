#pragma once

#include "PreparedPage.h"

#include <QList>
#include <QTransform>
#include <functional>

class QPagedPaintDevice;

namespace PagedOutput {
// Paints `count` pages on a printer or PDF writer, each on paper of its own size with no
// margins. sheetAt(i) gives the page to draw and its print correction in mm.
struct Sheet {
    const PreparedPage *page;
    QTransform correction;
};
// Throws ReportError when the device cannot be painted on.
void paint(QPagedPaintDevice &device, int count, const std::function<Sheet(int index)> &sheetAt);
} // namespace PagedOutput
