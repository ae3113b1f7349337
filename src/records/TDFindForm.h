#pragma once

#include <QDialog>

class DataSet;
class QLabel;
class QLineEdit;
class QPushButton;
class RecordGrid;

// The find window: a list of rows to choose one cell from, a find box that moves to the row
// whose code is typed, OK and Cancel. Every way of closing keeps the list's column widths.
class TDFindForm : public QDialog {
    Q_OBJECT
public:
    // The rows stay the caller's; they must be open.
    explicit TDFindForm(DataSet *rows, QWidget *parent = nullptr);

    RecordGrid *grid() const { return m_dbgFind; }
    // The selected cell as text: the focused column of the current row, empty without one.
    QString selectedValue() const;

    void done(int result) override;

private:
    DataSet *m_rows;
    QLabel *m_lblFind;
    QLineEdit *m_edtFind;
    RecordGrid *m_dbgFind;
    QPushButton *m_OKBtn;
    QPushButton *m_CancelBtn;

    void edtFindChange(const QString &text);
    void btnOkClick();
};
