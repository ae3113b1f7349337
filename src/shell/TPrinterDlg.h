#pragma once

#include <QDialog>

class QComboBox;

// 设置默认打印机: picking a printer in the list makes it the default at once; there is
// nothing to confirm, 关闭 only closes.
class TPrinterDlg : public QDialog {
    Q_OBJECT
public:
    explicit TPrinterDlg(QWidget *parent = nullptr);

    QComboBox *cbPrinters() const { return m_cbPrinters; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QComboBox *m_cbPrinters = nullptr;

    void cbPrintersChange(int index);
};

// 打印机...: the dialog shown modally.
void ShowPrinterDialog(QWidget *parent);
