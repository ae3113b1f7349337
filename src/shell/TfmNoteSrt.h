#pragma once

#include <QDialog>

class DataSet;
class QCheckBox;
class QLabel;
class QLineEdit;
class TMainForm;

// "单据信息维护": adds a form kind (or category) to noteKind, or changes the code, name and
// master-detail mark of one, and updates the main window's tree in place. It makes no
// tables.
class TfmNoteSrt : public QDialog {
    Q_OBJECT
public:
    // oldCode empty and id -1 add a kind; otherwise the kind of that ID is changed. Throws
    // StoreError when the row cannot be read.
    TfmNoteSrt(TMainForm *mainForm, const QString &oldCode, int id);

    // The save routine: true when the row is stored and the tree shows it. A refusal shows
    // its message and leaves the typed values in place.
    bool SaveKind();

private:
    TMainForm *m_mainForm;
    QString m_oldCode;
    int m_id;
    DataSet *m_qryMain;
    QLineEdit *m_code;
    QLineEdit *m_name;
    QCheckBox *m_hasDetail;

    void openRow();
    bool refuse(const QString &message);
    // Why the typed name cannot name a kind; empty when it can.
    QString nameRefusal() const;
    bool addKind(const QString &code, const QString &parentCode);
    bool modifyKind(const QString &code, const QString &parentCode);
    void storeRow(const QString &code, const QVariant &parentId);
    void placeNode(const QString &code);
};

// Runs the kind dialog modally over the main window.
void ShowKindDialog(TMainForm *mainForm, const QString &oldCode, int id);
