#include "DesignerBackgroundDialog.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

DesignerBackgroundDialog::DesignerBackgroundDialog(const QImage &scan, QSizeF paperMm,
                                                   QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("DesignerBackgroundDialog"));
    setWindowTitle(QStringLiteral("背景图片的大小"));
    const bool resolved = scan.dotsPerMeterX() > 0 && scan.dotsPerMeterY() > 0;
    const QSizeF trueMm = resolved ? QSizeF(scan.width() * 1000.0 / scan.dotsPerMeterX(),
                                            scan.height() * 1000.0 / scan.dotsPerMeterY())
                                   : paperMm;
    m_trueSize = new QRadioButton(QStringLiteral("按图片的分辨率放实际大小（%1 × %2 毫米，%3 dpi）")
                                      .arg(trueMm.width(), 0, 'f', 1)
                                      .arg(trueMm.height(), 0, 'f', 1)
                                      .arg(qRound(scan.dotsPerMeterX() * 0.0254)),
                                  this);
    m_trueSize->setObjectName(QStringLiteral("rdoTrueSize"));
    m_trueSize->setEnabled(resolved);
    m_fitPaper = new QRadioButton(QStringLiteral("铺满整张纸"), this);
    m_fitPaper->setObjectName(QStringLiteral("rdoFitPaper"));
    m_given = new QRadioButton(QStringLiteral("指定宽度和高度"), this);
    m_given->setObjectName(QStringLiteral("rdoGivenSize"));
    (resolved ? m_trueSize : m_fitPaper)->setChecked(true);
    const auto millimetres = [this](const char *name, double value) {
        auto *box = new QDoubleSpinBox(this);
        box->setObjectName(QLatin1String(name));
        box->setDecimals(2);
        box->setRange(1, 5000);
        box->setValue(value);
        return box;
    };
    m_width = millimetres("spnBackgroundWidth", trueMm.width());
    m_height = millimetres("spnBackgroundHeight", trueMm.height());
    const auto enable = [this] {
        m_width->setEnabled(m_given->isChecked());
        m_height->setEnabled(m_given->isChecked());
    };
    connect(m_given, &QRadioButton::toggled, this, enable);
    enable();

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("宽度 (毫米)："), m_width);
    form->addRow(QStringLiteral("高度 (毫米)："), m_height);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("图片放在纸的左上角："), this));
    layout->addWidget(m_trueSize);
    layout->addWidget(m_fitPaper);
    layout->addWidget(m_given);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

TemplateDocument::BackgroundSize DesignerBackgroundDialog::size() const
{
    if (m_trueSize->isChecked())
        return TemplateDocument::BackgroundSize::FromResolution;
    if (m_fitPaper->isChecked())
        return TemplateDocument::BackgroundSize::FitToPaper;
    return TemplateDocument::BackgroundSize::Given;
}

QSizeF DesignerBackgroundDialog::sizeMm() const
{
    return QSizeF(m_width->value(), m_height->value());
}
