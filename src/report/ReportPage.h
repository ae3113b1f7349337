#pragma once

#include "ReportBand.h"

#include <QByteArray>
#include <QList>
#include <QMarginsF>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QTransform>

// A template page: paper, margins, the scanned form as background, and the bands.
struct ReportPage {
    QString name;
    QString paper = QStringLiteral("A4"); // an id of PaperSizes, or PaperSizes::custom
    QSizeF customSize{210, 297};          // mm, as fed; used for a custom paper
    bool landscape = false;
    QMarginsF margins{10, 10, 10, 10}; // mm
    QByteArray background;             // the picture's original bytes, any format Qt reads
    QRectF backgroundRect;             // mm from the paper's edge; empty: the whole paper
    // Shifts everything drawn on printed pages (never preview or PDF), so one template
    // can be tuned to a printer's paper feed.
    // A printed point lands at design × scale + offset, from the paper's top-left edge.
    QPointF printOffset;      // mm
    double printScaleX = 100; // %
    double printScaleY = 100; // %
    QList<ReportBand> bands;

    // Width and height of the sheet as it is drawn, orientation applied.
    QSizeF sizeMm() const;
    // The sheet's size as fed, before orientation.
    QSizeF paperSizeMm() const;
    // Where the background picture is drawn, in mm.
    QRectF backgroundRectMm() const;
    // The print calibration as a map from designed to printed millimetres.
    QTransform printCorrection() const;

    // A page lays out one band of each kind: the first band whose kind came before on
    // this page, or nullptr.
    const ReportBand *repeatedBand() const;
    // Why the page cannot be used, naming the repeated band.
    QString repeatedBandMessage(const ReportBand &band) const;

    bool operator==(const ReportPage &) const = default;
};
