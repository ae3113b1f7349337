#pragma once

#include "report/ReportPage.h"

#include <QDialog>

class QComboBox;
class QDoubleSpinBox;

// Page setup of the preview: paper, orientation, margins and the printer correction (the
// offset printed pages are shifted by). Edits a copy of a page's settings.
class PageSetupDialog : public QDialog {
    Q_OBJECT

public:
    explicit PageSetupDialog(const ReportPage &settings, QWidget *parent = nullptr);
    // The settings as the user left them; bands and background are those given.
    ReportPage settings() const;

private:
    void cboPaperChange();
    QDoubleSpinBox *millimetres(const char *name, double value, double minimum);

    ReportPage m_settings;
    QComboBox *m_paper;
    QComboBox *m_orientation;
    QDoubleSpinBox *m_width, *m_height;
    QDoubleSpinBox *m_left, *m_top, *m_right, *m_bottom;
    QDoubleSpinBox *m_offsetX, *m_offsetY;
};
