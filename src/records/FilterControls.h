#pragma once

#include <QDate>
#include <QWidget>

class QButtonGroup;
class QCheckBox;
class QDateEdit;

// A date box with a check box that switches its bound on and off.
class CheckedDateEdit : public QWidget {
    Q_OBJECT
public:
    explicit CheckedDateEdit(const QDate &date, QWidget *parent = nullptr);

    bool isChecked() const;
    void setChecked(bool checked);
    QDate date() const;
    void setDate(const QDate &date);

Q_SIGNALS:
    // The date or the check box changed.
    void changed();

private:
    QCheckBox *m_check;
    QDateEdit *m_edit;
};

// A row of radio buttons, one of them selected (-1 for none).
class RadioGroup : public QWidget {
    Q_OBJECT
public:
    RadioGroup(const QStringList &items, QWidget *parent = nullptr);

    int itemIndex() const;
    void setItemIndex(int index);

Q_SIGNALS:
    void changed();

private:
    QButtonGroup *m_buttons;
};
