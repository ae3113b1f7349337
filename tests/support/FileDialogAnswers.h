#pragma once

#include "widgets/FileDialogs.h"

#include <QList>
#include <QStringList>

// Answers every file dialog while alive with the paths given to answer(), in order, and
// cancels once none is left; records what was asked. Files handed to the desktop are
// recorded instead of opened, and a program takes them unless told otherwise.
class FileDialogAnswers {
public:
    FileDialogAnswers();
    ~FileDialogAnswers();

    void answer(const QString &path) { m_answers << path; }
    void setDesktopOpens(bool opens) { m_desktopOpens = opens; }
    const QList<FileDialogs::Request> &requests() const { return m_requests; }
    const QStringList &opened() const { return m_opened; }

private:
    QStringList m_answers;
    QList<FileDialogs::Request> m_requests;
    QStringList m_opened;
    bool m_desktopOpens = true;
};
