#include "MessageRecorder.h"

MessageRecorder::MessageRecorder(bool answer) : m_answer(answer)
{
    Messages::setResponder([this](const Messages::Shown &shown) {
        m_shown.append(shown);
        return m_answer;
    });
}

MessageRecorder::~MessageRecorder()
{
    Messages::setResponder({});
}

QStringList MessageRecorder::texts() const
{
    QStringList list;
    for (const auto &s : m_shown)
        list << s.text;
    return list;
}
