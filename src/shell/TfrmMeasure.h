#pragma once

#include "FeedbackMail.h"

#include <QDialog>

class BackgroundTransfer;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

// "建议及反馈": a short questionnaire kept in measure.ini between showings and mailed to the
// maker. The mail goes out in the background; the window stays usable meanwhile.
class TfrmMeasure : public QDialog {
    Q_OBJECT
public:
    explicit TfrmMeasure(QWidget *parent = nullptr);

    QLineEdit *edtScore;
    QRadioButton *rbYes, *rbNo;
    QPlainTextEdit *memBug, *memToadd, *memGiveup, *memDecideBuy, *memOther;
    QLineEdit *edtReplyto;
    QCheckBox *CheckBox1;
    QLabel *lblHints;
    QPushButton *btnSend;

    void btnSendClick();
    bool isSending() const;
    FeedbackAnswers answers() const;

    void done(int result) override;

Q_SIGNALS:
    // A mail has gone out or failed, for whoever waits for it.
    void sendFinished(bool ok);

private:
    BackgroundTransfer *m_transfer;

    void loadAnswers();
    void saveAnswers();
};
