#pragma once

#include <QString>
#include <functional>

class QWidget;

// Every message box and question of the program goes through here, so that tests can
// answer them and read back what was asked, and flows with dialogs run unattended.
namespace Messages {

enum class Kind { Information, Error, YesNo, OkCancel, YesNoCancel };
enum class Answer { Yes, No, Cancel };

struct Shown {
    Kind kind;
    QString title;
    QString text;
};

// A plain information box with the application title and an OK button.
void information(QWidget *parent, const QString &text, const QString &title = QString());
// An error box: title "错误" unless given.
void error(QWidget *parent, const QString &text, const QString &title = QString());
// Yes/No with the information icon; true only for Yes.
bool askYesNo(QWidget *parent, const QString &text, const QString &title = QString());
// OK/Cancel with the question icon; true only for OK.
bool askOkCancel(QWidget *parent, const QString &text, const QString &title = QString());
// Yes/No/Cancel with the question icon, for leaving with unsaved changes. A test responder
// answers Yes with true and No with false.
Answer askYesNoCancel(QWidget *parent, const QString &text, const QString &title = QString());

// The settings file could not be written: an error box the first time in a run only, so
// that a full disk is told once and not for every grid and key after it.
void settingsNotSaved(QWidget *parent, const QString &path, const QString &reason);

// Test hook: while set, no box is shown; the responder gets each message and returns the
// answer for questions (ignored for plain boxes).
using Responder = std::function<bool(const Shown &)>;
void setResponder(Responder responder);

} // namespace Messages
