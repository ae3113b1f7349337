#include "FilterControls.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QRadioButton>

CheckedDateEdit::CheckedDateEdit(const QDate &date, QWidget *parent)
    : QWidget(parent), m_check(new QCheckBox(this)), m_edit(new QDateEdit(date, this))
{
    m_check->setChecked(true);
    m_edit->setDisplayFormat(QStringLiteral("yyyy'年'M'月'd'日'"));
    m_edit->setCalendarPopup(true);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(m_check);
    layout->addWidget(m_edit);
    connect(m_check, &QCheckBox::toggled, this, [this](bool on) {
        m_edit->setEnabled(on);
        Q_EMIT changed();
    });
    connect(m_edit, &QDateEdit::dateChanged, this, &CheckedDateEdit::changed);
}

bool CheckedDateEdit::isChecked() const
{
    return m_check->isChecked();
}

void CheckedDateEdit::setChecked(bool checked)
{
    m_check->setChecked(checked);
}

QDate CheckedDateEdit::date() const
{
    return m_edit->date();
}

void CheckedDateEdit::setDate(const QDate &date)
{
    m_edit->setDate(date);
}

RadioGroup::RadioGroup(const QStringList &items, QWidget *parent)
    : QWidget(parent), m_buttons(new QButtonGroup(this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 0, 4, 0);
    for (int i = 0; i < items.size(); ++i) {
        auto *button = new QRadioButton(items[i], this);
        m_buttons->addButton(button, i);
        layout->addWidget(button);
    }
    connect(m_buttons, &QButtonGroup::idToggled, this, [this](int, bool on) {
        if (on)
            Q_EMIT changed();
    });
}

int RadioGroup::itemIndex() const
{
    return m_buttons->checkedId();
}

void RadioGroup::setItemIndex(int index)
{
    if (QAbstractButton *b = m_buttons->button(index))
        b->setChecked(true);
}
