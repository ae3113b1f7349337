#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <utility>

// One HTML mail as it goes over SMTP. Everything the user typed travels in UTF-8: the
// subject and the sender's name as encoded words, the body in base64, so no character is
// lost and no line of it can be taken for a header or the end of the message.
struct MailMessage {
    QString fromName;
    QString fromAddress;
    QString toAddress;
    QString subject;
    QString htmlBody;
    // Further header lines, name and value; values hold no line breaks.
    QList<std::pair<QString, QString>> extraHeaders;

    QByteArray toBytes() const;
};

// True when text can stand in a header as it is: printable ASCII, no line break.
bool isPlainHeaderText(const QString &text);
