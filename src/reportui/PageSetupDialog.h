#pragma once

#include "report/ReportPage.h"

#include <QDialog>

class QComboBox;
class QDoubleSpinBox;

// Page setup of the preview and the designer: paper, orientation, margins and the printer
// correction (the offset and scale of printed pages). Edits a copy of a page's settings;
// the designer also offers the choice of the template's printer.
class PageSetupDialog : public QDialog {
    Q_OBJECT

public:
    explicit PageSetupDialog(const ReportPage &settings, QWidget *parent = nullptr);
    // The settings as the user left them; bands and background are those given.
    ReportPage settings() const;

    // Adds a choice among the installed printers, with "none" for the system's default.
    void offerPrinters(const QStringList &installed, const QString &current);
    // The printer chosen: empty for the default printer.
    QString printerName() const;

private:
    void cboPaperChange();
    QDoubleSpinBox *millimetres(const char *name, double value, double minimum);
    QDoubleSpinBox *percent(const char *name, double value);

    ReportPage m_settings;
    QComboBox *m_paper;
    QComboBox *m_orientation;
    QDoubleSpinBox *m_width, *m_height;
    QDoubleSpinBox *m_left, *m_top, *m_right, *m_bottom;
    QDoubleSpinBox *m_offsetX, *m_offsetY;
    QDoubleSpinBox *m_scaleX, *m_scaleY;
    QComboBox *m_printer = nullptr;
    class QVBoxLayout *m_layout;
};
