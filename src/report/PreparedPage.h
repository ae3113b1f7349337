#pragma once

#include "ReportObject.h"
#include "ReportPage.h"

#include <QByteArray>
#include <QList>
#include <QRectF>
#include <QString>

// An object as it is drawn on one prepared page: its final place and content.
struct PreparedItem {
    ReportObject object;  // style and kind; its rect is the template's, relative to the band
    QRectF rect;          // mm from the paper's top-left corner
    QString text;         // text objects: expressions evaluated
    QByteArray picture;   // picture objects: the image bytes
    bool checked = false; // check marks: whether the mark is drawn

    bool operator==(const PreparedItem &) const = default;
};

// One page ready to draw. `page` carries the template page's settings (paper, background,
// print offset); the per-page print hook gets a copy of it.
struct PreparedPage {
    ReportPage page;
    QList<PreparedItem> items;

    bool operator==(const PreparedPage &) const = default;
};
