#include "DesignerCalibrationSheet.h"

#include "printer/ReportPrinter.h"
#include "report/Report.h"
#include "widgets/Messages.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

void DesignerCalibrationSheet::print(const ReportPage &page, const QString &printerName,
                                     QPrinter *printer)
{
    Report sheet;
    sheet.definition() = Calibration::calibrationSheet(page);
    sheet.prepare();
    ReportPrinter::Job job;
    job.printerName = printerName;
    if (printer)
        ReportPrinter::print(sheet.preparedPages(), job, *printer);
    else
        ReportPrinter::print(sheet.preparedPages(), job);
}

DesignerSheetDialog::DesignerSheetDialog(const QList<QPointF> &designed,
                                         const Calibration::PrinterCorrection &printedWith,
                                         QWidget *parent)
    : QDialog(parent), m_designed(designed), m_printedWith(printedWith)
{
    setObjectName(QStringLiteral("DesignerSheetDialog"));
    setWindowTitle(QStringLiteral("输入校准页的测量结果"));
    auto *grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("十字标记"), this), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("量得 X (毫米)"), this), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("量得 Y (毫米)"), this), 0, 2);
    for (int i = 0; i < designed.size(); ++i) {
        const QPointF d = designed[i];
        grid->addWidget(
            new QLabel(QStringLiteral("印有 (%1, %2) 的十字").arg(d.x()).arg(d.y()), this), i + 1,
            0);
        std::pair<QDoubleSpinBox *, QDoubleSpinBox *> boxes;
        for (int axis = 0; axis < 2; ++axis) {
            auto *box = new QDoubleSpinBox(this);
            box->setObjectName(
                (axis ? QStringLiteral("spnMeasuredY") : QStringLiteral("spnMeasuredX")) +
                QString::number(i));
            box->setDecimals(2);
            box->setRange(-100, 2000);
            box->setSingleStep(0.5);
            box->setValue(axis ? d.y() : d.x());
            grid->addWidget(box, i + 1, axis + 1);
            (axis ? boxes.second : boxes.first) = box;
        }
        m_measured.append(boxes);
    }
    auto *hint = new QLabel(QStringLiteral("用尺子从纸的左边和上边量出每个十字中心的位置，"
                                           "填入下表。"),
                            this);
    hint->setWordWrap(true);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &DesignerSheetDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(hint);
    layout->addLayout(grid);
    layout->addWidget(buttons);
}

std::optional<Calibration::PrinterCorrection> DesignerSheetDialog::correction() const
{
    QList<Calibration::Cross> crosses;
    for (int i = 0; i < m_designed.size(); ++i)
        crosses.append(
            {m_designed[i], QPointF(m_measured[i].first->value(), m_measured[i].second->value())});
    return Calibration::correctionFromSheet(crosses, m_printedWith);
}

void DesignerSheetDialog::accept()
{
    if (!correction()) {
        Messages::information(this, QStringLiteral("无法从这些测量值算出校正，请检查输入的位置。"));
        return;
    }
    QDialog::accept();
}
