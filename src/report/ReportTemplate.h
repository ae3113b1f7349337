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

    bool operator==(const ReportTemplate &) const = default;
};
