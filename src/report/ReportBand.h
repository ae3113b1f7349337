#pragma once

#include "ReportObject.h"

#include <QList>
#include <QString>

// A horizontal strip of a page. Data bands repeat once per row of their dataset; a
// detail band repeats over its dataset's rows under each row of the master band above it.
struct ReportBand {
    enum class Type { ReportTitle, PageHeader, MasterData, DetailData, PageFooter };

    Type type = Type::MasterData;
    QString name;
    double height = 20;        // mm
    QString dataset;           // data bands: the dataset's name
    bool startNewPage = false; // master band: each row begins on a new page
    QList<ReportObject> objects;

    bool operator==(const ReportBand &) const = default;

    // The band's kind as the designer and the engine's messages call it.
    static QString typeTitle(Type type);
};
