#pragma once

#include "printer/ReportPrinter.h"
#include "report/PreparedPage.h"

#include <QList>
#include <functional>

class QWidget;
class Report;

// Where the record window's output goes: the engine's preview window, its designer and the
// printer. Each is a function that can be replaced, so that the engine's own windows plug
// in here and tests print to a file and answer the modal windows. A member left empty
// stands for the built-in one.
struct ReportOutlets {
    // The designer's save hook: stores the report as the form kind's template; true when it
    // was stored.
    using SaveHook = std::function<bool(Report &report, bool saveAs)>;
    // What the record window lends its preview.
    struct PreviewHooks {
        // The per-page rule for sheets printed from the preview (no background picture on
        // paper); printing there marks no record.
        ReportPrinter::PageHook printPage;
        // Opens the designer on the template; true when it was saved, and the report then
        // holds the saved template, prepared again.
        std::function<bool()> editTemplate;
    };

    // Shows the report's prepared pages, modal.
    std::function<void(QWidget *parent, Report &report, const PreviewHooks &hooks)> preview;
    // Edits the report, modal; every save (Save, Save As, save on close) calls save.
    std::function<void(QWidget *parent, Report &report, const SaveHook &save)> designer;
    // Prints pages without a dialog: ReportPrinter on the job's printer, else the default.
    std::function<void(const QList<PreparedPage> &pages, const ReportPrinter::Job &job)> printer;

    // The outlets in force, every member filled.
    static ReportOutlets current();
    // Replaces the outlets for every record window; empty members take the built-in ones.
    static void install(ReportOutlets outlets);
};
