#pragma once

#include <QString>
#include <functional>

class QWidget;

// The program's file dialogs, and the hand-over of a written file to the desktop's program
// for it, behind hooks so that tests answer them and flows with files run unattended.
namespace FileDialogs {

enum class Kind { Open, Save, Folder };

struct Request {
    Kind kind;
    QString caption;
    QString filter;
    QString directory;
    bool canCreateFolders = false; // a folder picker that offers to make a new folder
};

// The chosen file's path; empty when the user cancelled.
QString getOpenFileName(QWidget *parent, const QString &caption, const QString &filter,
                        const QString &directory = QString());
QString getSaveFileName(QWidget *parent, const QString &caption, const QString &filter,
                        const QString &directory = QString());

// A folder picker over the parent window; the chosen folder's path, empty when cancelled.
QString getExistingDirectory(QWidget *parent, const QString &caption, bool canCreateFolders);

// Opens a file in the desktop's program for its type; false when no program took it.
bool openWithDesktop(const QString &path);

// Test hooks: while set, no dialog is shown and nothing is opened. The responder answers
// each dialog with a path (empty for cancel); the opener gets each file handed to the
// desktop and says whether a program took it.
using Responder = std::function<QString(const Request &)>;
void setResponder(Responder responder);
using Opener = std::function<bool(const QString &path)>;
void setOpener(Opener opener);

} // namespace FileDialogs
