#pragma once

#include "report/Calibration.h"

#include <QDialog>

class QDoubleSpinBox;
class QPrinter;

namespace DesignerCalibrationSheet {
// Prints the calibration sheet of a page (its paper and the printer correction in force)
// on the named printer, or on `printer` when given. Throws ReportError.
void print(const ReportPage &page, const QString &printerName, QPrinter *printer = nullptr);
} // namespace DesignerCalibrationSheet

// Where the crosses of the printed calibration sheet were measured: one pair of boxes per
// cross, starting at the designed position. The result is the correction that puts the
// crosses where they were designed.
class DesignerSheetDialog : public QDialog {
    Q_OBJECT

public:
    DesignerSheetDialog(const QList<QPointF> &designed,
                        const Calibration::PrinterCorrection &printedWith,
                        QWidget *parent = nullptr);

    std::optional<Calibration::PrinterCorrection> correction() const;
    // Refuses to close until the measurements give a correction.
    void accept() override;

private:
    QList<QPointF> m_designed;
    Calibration::PrinterCorrection m_printedWith;
    QList<std::pair<QDoubleSpinBox *, QDoubleSpinBox *>> m_measured;
};
