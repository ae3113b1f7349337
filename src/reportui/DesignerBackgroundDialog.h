#pragma once

#include "report/TemplateDocument.h"

#include <QDialog>
#include <QImage>

class QDoubleSpinBox;
class QRadioButton;

// How a scanned form is laid under the page: at its true size from the picture's
// resolution, stretched over the paper, or at a width and height given in mm.
class DesignerBackgroundDialog : public QDialog {
    Q_OBJECT

public:
    DesignerBackgroundDialog(const QImage &scan, QSizeF paperMm, QWidget *parent = nullptr);

    TemplateDocument::BackgroundSize size() const;
    QSizeF sizeMm() const;

private:
    QRadioButton *m_trueSize, *m_fitPaper, *m_given;
    QDoubleSpinBox *m_width, *m_height;
};
