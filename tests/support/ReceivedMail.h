#pragma once

#include "Python.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

// What a mail reader (Python's email package) makes of a message saved as received: the
// decoded subject and sender, the recipient, content type, character set, the read-receipt
// header and the body text; empty when the message cannot be read.
inline QJsonObject receivedMail(const QString &emlFile)
{
    QString out;
    if (!runPython(QFINDTESTDATA("../transport/fixtures/read_mail.py"), {emlFile}, &out))
        return {};
    return QJsonDocument::fromJson(out.toUtf8()).object();
}

// Everything of a received mail but its body, as JSON text, for comparisons that show what
// differs.
inline QString headersOf(QJsonObject mail)
{
    mail.remove(QStringLiteral("body"));
    return QString::fromUtf8(QJsonDocument(mail).toJson(QJsonDocument::Compact));
}

// The headers the program's feedback mail to the maker's test account arrives with.
inline QString feedbackMailHeaders(const QString &receipt)
{
    return headersOf({{"subject", QStringLiteral("Quillet使用建议及反馈")},
                      {"from", QStringLiteral("客户 <maker@quillet.test>")},
                      {"to", "maker@quillet.test"},
                      {"contentType", "text/html"},
                      {"charset", "utf-8"},
                      {"receipt", receipt}});
}
