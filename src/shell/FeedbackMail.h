#pragma once

#include <QString>

// What the feedback form asks, as typed.
struct FeedbackAnswers {
    QString score;
    bool yes = false;
    bool no = false;
    QString bug, toadd, giveup, decideBuy, other;
    QString replyTo;
};

// The mail's text, lines joined by CR LF, no line break at the end.
QString feedbackText(const FeedbackAnswers &answers, const QString &loginName);
// The text as the HTML body: "<%mail%>" becomes the maker's address, then everything typed
// is escaped so it arrives as text, and each line break shows as one.
QString feedbackHtml(const QString &text, const QString &makerMail);
// Whether a receipt address looks like one: its first "@" not first, at least six characters
// after it, more than two after the first "." from the "@" on; and nothing that could not
// stand in a mail header.
bool passesAddressTest(const QString &address);
// The system's login name of the user running the program.
QString loginName();
