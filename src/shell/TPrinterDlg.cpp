#include "TPrinterDlg.h"

#include "widgets/Messages.h"

#include "printer/DefaultPrinter.h"
#include "store/QuilletError.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TPrinterDlg::TPrinterDlg(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TPrinterDlg"));
    setWindowTitle(QStringLiteral("设置默认打印机"));
    auto *label = new QLabel(QStringLiteral("   请设置您的默认打印机："), this);
    m_cbPrinters = new QComboBox(this);
    m_cbPrinters->setObjectName(QStringLiteral("cbPrinters"));
    m_cbPrinters->setEditable(true);
    m_cbPrinters->setInsertPolicy(QComboBox::NoInsert);
    m_cbPrinters->setMinimumWidth(260);
    m_cbPrinters->addItems(DefaultPrinter::installedPrinters());
    const QString current = DefaultPrinter::current();
    m_cbPrinters->setCurrentIndex(m_cbPrinters->findText(current));
    m_cbPrinters->setEditText(current);
    m_cbPrinters->installEventFilter(this);
    m_cbPrinters->lineEdit()->installEventFilter(this);
    connect(m_cbPrinters, &QComboBox::currentIndexChanged, this, &TPrinterDlg::cbPrintersChange);

    auto *close = new QPushButton(QStringLiteral("关闭(&C)"), this);
    close->setObjectName(QStringLiteral("btnClose"));
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_cbPrinters);
    layout->addWidget(close, 0, Qt::AlignRight);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

bool TPrinterDlg::eventFilter(QObject *watched, QEvent *event)
{
    // Enter picks nothing more in the list: it moves on as Tab does.
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            focusNextChild();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TPrinterDlg::cbPrintersChange(int index)
{
    if (index < 0)
        return;
    try {
        DefaultPrinter::makeUserDefault(m_cbPrinters->itemText(index));
    } catch (const QuilletError &e) {
        Messages::error(this, e.message());
    }
}

void ShowPrinterDialog(QWidget *parent)
{
    TPrinterDlg dialog(parent);
    dialog.exec();
}
