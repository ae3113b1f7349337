#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class Report;

// The editor of an object's text: literal text with expressions in [...], or, for a
// condition, one bare expression. The data tree beside it inserts fields, variables and
// functions at the cursor; Check compiles the text as the engine will and names the
// first error and where it is.
class DesignerExpressionEditor : public QDialog {
    Q_OBJECT

public:
    enum class Mode { TextWithExpressions, Condition };

    // objectName names the object in the check's messages.
    DesignerExpressionEditor(const QString &objectName, const QString &text, Mode mode,
                             const Report &report, QWidget *parent = nullptr);

    QString text() const;
    // Shows the outcome below the text; true when it compiles.
    bool btnCheckClick();

private:
    void insert(const QString &expression);

    QString m_objectName;
    Mode m_mode;
    const Report &m_report;
    QPlainTextEdit *m_text;
    QLabel *m_result;
};
