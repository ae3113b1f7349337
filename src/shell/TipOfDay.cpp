#include "TipOfDay.h"

#include "store/Gbk.h"
#include "store/IniFile.h"
#include "store/ProgramFolder.h"
#include "widgets/Messages.h"

#include <QCheckBox>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStyle>
#include <QVBoxLayout>

QStringList readTipLines(const QString &tipFile)
{
    QFile file(tipFile);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList tips;
    bool inSection = false;
    for (QString line : Gbk::decode(file.readAll()).split(u'\n')) {
        line = line.trimmed();
        if (line.startsWith(u'[') && line.endsWith(u']'))
            inSection = line.mid(1, line.size() - 2)
                            .trimmed()
                            .compare(QStringLiteral("TipItems"), Qt::CaseInsensitive) == 0;
        else if (inSection && !line.isEmpty() && !line.startsWith(u';'))
            tips << line;
    }
    return tips;
}

QString tipText(const QString &line)
{
    static const QRegularExpression lineBreak(QStringLiteral("\\\\[nN]"));
    return line.mid(line.indexOf(u'=') + 1).replace(lineBreak, QStringLiteral("\n"));
}

TTipOfDayForm::TTipOfDayForm(const QStringList &tips, QWidget *parent)
    : QDialog(parent), m_tips(tips)
{
    setObjectName(QStringLiteral("TTipOfDayForm"));
    setWindowTitle(QStringLiteral("每日一帖"));
    auto *icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32));
    auto *caption = new QLabel(QStringLiteral("提示:"), this);
    QFont bold = caption->font();
    bold.setBold(true);
    caption->setFont(bold);
    auto *heading = new QLabel(QStringLiteral("你知道吗?"), this);
    QFont large = heading->font();
    large.setPointSize(large.pointSize() + 6);
    large.setBold(true);
    heading->setFont(large);
    lblTip = new QLabel(this);
    lblTip->setObjectName(QStringLiteral("lblTip"));
    lblTip->setWordWrap(true);
    lblTip->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblTip->setMinimumSize(320, 120);
    ChkShowNextTime = new QCheckBox(QStringLiteral("总是在启动时显示本页"), this);
    ChkShowNextTime->setObjectName(QStringLiteral("ChkShowNextTime"));
    auto *next = new QPushButton(QStringLiteral("下一条(&N)"), this);
    next->setObjectName(QStringLiteral("btnNext"));
    auto *close = new QPushButton(QStringLiteral("关闭(&C)"), this);
    close->setObjectName(QStringLiteral("btnClose"));
    connect(next, &QPushButton::clicked, this, &TTipOfDayForm::btnNextClick);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    auto *panel = new QVBoxLayout;
    panel->addWidget(heading);
    panel->addWidget(lblTip, 1);
    auto *top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addWidget(caption, 0, Qt::AlignTop);
    top->addLayout(panel, 1);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(ChkShowNextTime);
    bottom->addStretch();
    bottom->addWidget(next);
    bottom->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(bottom);

    if (!m_tips.isEmpty()) {
        m_index = int(QRandomGenerator::global()->bounded(qsizetype(m_tips.size())));
        ShowTip();
    }
}

void TTipOfDayForm::ShowTip()
{
    lblTip->setText(m_tips.isEmpty() ? QString() : tipText(m_tips.at(m_index)));
}

void TTipOfDayForm::btnNextClick()
{
    if (m_tips.isEmpty())
        return;
    m_index = (m_index + 1) % int(m_tips.size());
    ShowTip();
}

void ShowTipDialog(QWidget *parent, bool forced, bool showTipFlag)
{
    static bool showing = false;
    if ((!forced && !showTipFlag) || showing)
        return;
    showing = true;
    TTipOfDayForm form(readTipLines(ProgramFolder::file(QStringLiteral("TipOfDay.ini"))), parent);
    form.ChkShowNextTime->setChecked(showTipFlag);
    form.exec();
    IniFile ini(ProgramFolder::settingsPath());
    if (!ini.writeBool(QStringLiteral("Option"), QStringLiteral("ShowTipOfDay"),
                       form.ChkShowNextTime->isChecked()))
        Messages::settingsNotSaved(parent, ini.path(), ini.errorString());
    showing = false;
}
