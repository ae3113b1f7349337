#pragma once

#include "report/TemplateDocument.h"

#include <QObject>

class QAction;
class QMainWindow;
class QPrinter;

// The 页面 menu of the designer: page settings with the template's printer, the scanned
// form (set, remove, two-point calibration) and the calibration sheet of the printer
// correction. They act on the page of the first selected object, else on the first page.
class DesignerPageCommands : public QObject {
    Q_OBJECT

public:
    DesignerPageCommands(QMainWindow *window, TemplateDocument *document);

    // Where the calibration sheet goes instead of the template's printer (a PDF file, say).
    void setSheetPrinter(QPrinter *printer) { m_sheetPrinter = printer; }

    void actPageSettingsExecute();
    void actSetBackgroundExecute();
    void actRemoveBackgroundExecute();
    void actCalibrateBackgroundExecute();
    void actCalibrationSheetExecute();

private:
    QAction *action(const char *name, const QString &text, void (DesignerPageCommands::*slot)());
    int currentPage() const;

    QMainWindow *m_window;
    TemplateDocument *m_document;
    QPrinter *m_sheetPrinter = nullptr;
};
