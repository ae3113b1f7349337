#include "FeedbackMail.h"

#include "transport/MailMessage.h"

#include <QStringList>
#include <pwd.h>
#include <unistd.h>

QString feedbackText(const FeedbackAnswers &a, const QString &loginName)
{
    return QStringList{
        QStringLiteral("我电脑登陆用户是") + loginName,
        QStringLiteral("1.对本软件整体评分（百分制）：") + a.score,
        QStringLiteral("2.本软件是否满足我的打印需求：") +
            (a.yes ? QStringLiteral("是") : QStringLiteral("否")),
        QStringLiteral("3.本软件有哪些地方不足之处：") + a.bug,
        QStringLiteral("4.我觉得本软件最需要增加什么功能：") + a.toadd,
        QStringLiteral("5.如果我放弃购买本软件，是什么原因：") + a.giveup,
        QStringLiteral("6.如果我决定购买本软件，是什么原因：") + a.decideBuy,
        QStringLiteral("7.其他建议：") + a.other,
        QStringLiteral("  回执接收邮箱：") + a.replyTo,
    }
        .join(QStringLiteral("\r\n"));
}

QString feedbackHtml(const QString &text, const QString &makerMail)
{
    QString html = QString(text).replace(QStringLiteral("<%mail%>"), makerMail).toHtmlEscaped();
    html.replace(QStringLiteral("\r\n"), QStringLiteral("<br>\r\n"));
    return html;
}

bool passesAddressTest(const QString &address)
{
    const qsizetype at = address.indexOf(u'@');
    if (at < 1 || address.size() - at - 1 < 6 || !isPlainHeaderText(address) ||
        address.contains(u' '))
        return false;
    const QString fromAt = address.mid(at);
    const qsizetype dot = fromAt.indexOf(u'.');
    return dot < 0 || fromAt.size() - dot - 1 > 2;
}

QString loginName()
{
    if (const passwd *entry = getpwuid(getuid()))
        return QString::fromLocal8Bit(entry->pw_name);
    return qEnvironmentVariable("USER");
}
