#pragma once

#include <QDialog>
#include <QStringList>

class QCheckBox;
class QLabel;

// The lines of the tip file's [TipItems] section, in order; none when it is missing.
QStringList readTipLines(const QString &tipFile);
// A tip line as shown: what follows its first "=", with each backslash-n a line break.
QString tipText(const QString &line);

// "每日一帖": one tip at a time, the first picked at random, 下一条 going round.
class TTipOfDayForm : public QDialog {
    Q_OBJECT
public:
    TTipOfDayForm(const QStringList &tips, QWidget *parent = nullptr);

    QCheckBox *ChkShowNextTime;
    QLabel *lblTip;
    int tipIndex() const { return m_index; }

    void ShowTip();
    void btnNextClick();

private:
    QStringList m_tips;
    int m_index = 0;
};

// Shows the tip dialog: from the start-up timer (forced false), only when the settings ask
// for it; never twice at once. The box's tick goes to the settings for the next start.
void ShowTipDialog(QWidget *parent, bool forced, bool showTipFlag);
