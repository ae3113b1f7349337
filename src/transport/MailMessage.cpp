#include "MailMessage.h"

#include "TransportError.h"

#include <QDateTime>
#include <QLocale>
#include <QUuid>

namespace {

QByteArray encodedWord(const QString &text)
{
    return "=?UTF-8?B?" + text.toUtf8().toBase64() + "?=";
}

QByteArray plain(const QString &text)
{
    if (!isPlainHeaderText(text))
        throw TransportError(QStringLiteral("邮件地址含有不能使用的字符。"), text);
    return text.toLatin1();
}

} // namespace

bool isPlainHeaderText(const QString &text)
{
    for (const QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() > 0x7e)
            return false;
    return true;
}

QByteArray MailMessage::toBytes() const
{
    QByteArray m;
    const auto header = [&m](const char *name, const QByteArray &value) {
        m += name;
        m += ": ";
        m += value;
        m += "\r\n";
    };
    header("Date", QLocale::c()
                       .toString(QDateTime::currentDateTime(), "ddd, dd MMM yyyy hh:mm:ss t")
                       .toLatin1());
    header("From", encodedWord(fromName) + " <" + plain(fromAddress) + ">");
    header("To", "<" + plain(toAddress) + ">");
    header("Subject", encodedWord(subject));
    header("Message-ID",
           "<" + QUuid::createUuid().toString(QUuid::WithoutBraces).toLatin1() + "@quillet>");
    header("MIME-Version", "1.0");
    header("Content-Type", "text/html; charset=UTF-8");
    header("Content-Transfer-Encoding", "base64");
    for (const auto &[name, value] : extraHeaders)
        header(plain(name).constData(), plain(value));
    m += "\r\n";
    const QByteArray body = htmlBody.toUtf8().toBase64();
    for (qsizetype i = 0; i < body.size(); i += 76)
        m += body.mid(i, 76) + "\r\n";
    return m;
}
