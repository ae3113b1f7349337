#pragma once

#include "report/PreparedPage.h"

#include <QList>
#include <QString>
#include <functional>

class QPrinter;

// Prints prepared pages without a dialog: full page, no added margins, each page's print
// calibration applied. Before each printed page of each copy it calls the hook with a
// copy of the page's settings; what the hook changes there (such as removing the
// background picture) holds for that printed sheet only.
class ReportPrinter {
public:
    using PageHook = std::function<void(ReportPage &page, int copyNumber)>;
    struct Job {
        QString printerName; // empty or unknown: the system's default printer
        int copies = 1;      // copies of the whole report, one after the other; 0 prints nothing
        PageHook hook;
    };

    // Throws ReportError when there is no printer or printing fails.
    static void print(const QList<PreparedPage> &pages, const Job &job);
    // The same on a printer the caller has set up (a file printer, for instance).
    static void print(const QList<PreparedPage> &pages, const Job &job, QPrinter &printer);
};
