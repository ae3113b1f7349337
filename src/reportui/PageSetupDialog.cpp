#include "PageSetupDialog.h"

#include "report/PaperSizes.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QVBoxLayout>

PageSetupDialog::PageSetupDialog(const ReportPage &settings, QWidget *parent)
    : QDialog(parent), m_settings(settings)
{
    setObjectName(QStringLiteral("PageSetupDialog"));
    setWindowTitle(QStringLiteral("页面设置"));

    m_paper = new QComboBox(this);
    m_paper->setObjectName(QStringLiteral("cboPaper"));
    for (const PaperSize &paper : PaperSizes::all())
        m_paper->addItem(paper.name, paper.id);
    m_paper->addItem(QStringLiteral("自定义"), PaperSizes::custom);
    const int known = m_paper->findData(settings.paper);
    m_paper->setCurrentIndex(known >= 0 ? known : m_paper->count() - 1);
    m_width = millimetres("spnPaperWidth", settings.customSize.width(), 10);
    m_height = millimetres("spnPaperHeight", settings.customSize.height(), 10);
    m_orientation = new QComboBox(this);
    m_orientation->setObjectName(QStringLiteral("cboOrientation"));
    m_orientation->addItems({QStringLiteral("纵向"), QStringLiteral("横向")});
    m_orientation->setCurrentIndex(settings.landscape ? 1 : 0);

    auto *paperBox = new QGroupBox(QStringLiteral("纸张"), this);
    auto *paperForm = new QFormLayout(paperBox);
    paperForm->addRow(QStringLiteral("纸张大小："), m_paper);
    paperForm->addRow(QStringLiteral("宽度 (毫米)："), m_width);
    paperForm->addRow(QStringLiteral("高度 (毫米)："), m_height);
    paperForm->addRow(QStringLiteral("方向："), m_orientation);

    m_left = millimetres("spnMarginLeft", settings.margins.left(), 0);
    m_top = millimetres("spnMarginTop", settings.margins.top(), 0);
    m_right = millimetres("spnMarginRight", settings.margins.right(), 0);
    m_bottom = millimetres("spnMarginBottom", settings.margins.bottom(), 0);
    auto *marginBox = new QGroupBox(QStringLiteral("页边距 (毫米)"), this);
    auto *marginForm = new QFormLayout(marginBox);
    marginForm->addRow(QStringLiteral("左："), m_left);
    marginForm->addRow(QStringLiteral("上："), m_top);
    marginForm->addRow(QStringLiteral("右："), m_right);
    marginForm->addRow(QStringLiteral("下："), m_bottom);

    m_offsetX = millimetres("spnOffsetX", settings.printOffset.x(), -100);
    m_offsetY = millimetres("spnOffsetY", settings.printOffset.y(), -100);
    auto *offsetBox = new QGroupBox(QStringLiteral("打印机校正（只用于打印）"), this);
    auto *offsetForm = new QFormLayout(offsetBox);
    offsetForm->addRow(QStringLiteral("水平偏移 (毫米)："), m_offsetX);
    offsetForm->addRow(QStringLiteral("垂直偏移 (毫米)："), m_offsetY);
    m_scaleX = percent("spnScaleX", settings.printScaleX);
    m_scaleY = percent("spnScaleY", settings.printScaleY);
    offsetForm->addRow(QStringLiteral("水平缩放 (%)："), m_scaleX);
    offsetForm->addRow(QStringLiteral("垂直缩放 (%)："), m_scaleY);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_paper, &QComboBox::currentIndexChanged, this, &PageSetupDialog::cboPaperChange);

    m_layout = new QVBoxLayout(this);
    m_layout->addWidget(paperBox);
    m_layout->addWidget(marginBox);
    m_layout->addWidget(offsetBox);
    m_layout->addWidget(buttons);
    cboPaperChange();
}

QDoubleSpinBox *PageSetupDialog::millimetres(const char *name, double value, double minimum)
{
    auto *box = new QDoubleSpinBox(this);
    box->setObjectName(QLatin1String(name));
    box->setDecimals(2);
    box->setRange(minimum, 2000);
    box->setSingleStep(0.5);
    box->setValue(value);
    return box;
}

QDoubleSpinBox *PageSetupDialog::percent(const char *name, double value)
{
    auto *box = new QDoubleSpinBox(this);
    box->setObjectName(QLatin1String(name));
    box->setDecimals(2);
    box->setRange(50, 200);
    box->setSingleStep(0.1);
    box->setValue(value);
    return box;
}

void PageSetupDialog::offerPrinters(const QStringList &installed, const QString &current)
{
    m_printer = new QComboBox(this);
    m_printer->setObjectName(QStringLiteral("cboPrinter"));
    m_printer->addItem(QStringLiteral("（系统默认打印机）"), QString());
    for (const QString &name : installed)
        m_printer->addItem(name, name);
    // A printer the template names but this computer lacks stays chosen, so that saving
    // does not quietly forget it.
    if (!current.isEmpty() && m_printer->findData(current) < 0)
        m_printer->addItem(QStringLiteral("%1（未安装）").arg(current), current);
    m_printer->setCurrentIndex(m_printer->findData(current));
    auto *box = new QGroupBox(QStringLiteral("打印机"), this);
    auto *form = new QFormLayout(box);
    form->addRow(QStringLiteral("打印机："), m_printer);
    m_layout->insertWidget(0, box);
}

QString PageSetupDialog::printerName() const
{
    return m_printer ? m_printer->currentData().toString() : QString();
}

// The size boxes are typed in only for a custom paper; a named one shows its own size.
void PageSetupDialog::cboPaperChange()
{
    const QString id = m_paper->currentData().toString();
    const bool custom = id == PaperSizes::custom;
    m_width->setEnabled(custom);
    m_height->setEnabled(custom);
    if (!custom) {
        const QSizeF size = PaperSizes::sizeOf(id);
        m_width->setValue(size.width());
        m_height->setValue(size.height());
    }
}

ReportPage PageSetupDialog::settings() const
{
    ReportPage page = m_settings;
    page.paper = m_paper->currentData().toString();
    if (page.paper == PaperSizes::custom)
        page.customSize = QSizeF(m_width->value(), m_height->value());
    page.landscape = m_orientation->currentIndex() == 1;
    page.margins = QMarginsF(m_left->value(), m_top->value(), m_right->value(), m_bottom->value());
    page.printOffset = QPointF(m_offsetX->value(), m_offsetY->value());
    page.printScaleX = m_scaleX->value();
    page.printScaleY = m_scaleY->value();
    return page;
}
