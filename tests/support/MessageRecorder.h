#pragma once

#include "widgets/Messages.h"

#include <QList>
#include <QStringList>

// Answers every message box while alive and records what was shown.
class MessageRecorder {
public:
    explicit MessageRecorder(bool answer = true);
    ~MessageRecorder();

    void setAnswer(bool answer) { m_answer = answer; }
    const QList<Messages::Shown> &shown() const { return m_shown; }
    QStringList texts() const;
    QString lastText() const { return m_shown.isEmpty() ? QString() : m_shown.last().text; }
    void clear() { m_shown.clear(); }

private:
    bool m_answer;
    QList<Messages::Shown> m_shown;
};
