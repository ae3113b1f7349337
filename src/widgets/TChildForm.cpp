#include "TChildForm.h"

TChildForm::TChildForm(QWidget *parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral("ChildForm"));
}
