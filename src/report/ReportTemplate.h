#pragma once

#include "ReportPage.h"

#include <QList>
#include <QString>
#include <QStringList>

// The whole report definition: what a template's bytes hold.
struct ReportTemplate {
    QStringList script{QStringLiteral("begin"), QString(), QStringLiteral("end.")};
    QString printerName; // empty: the system's default printer
    QList<ReportPage> pages;

    // Takes a page setup made on a prepared page (paper, orientation, margins, printer
    // correction) into the template pages of the same name; bands and background stay.
    void applyPageSetup(const ReportPage &settings);

    bool operator==(const ReportTemplate &) const = default;
};
