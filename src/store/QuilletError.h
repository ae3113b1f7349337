#pragma once

#include <QString>
#include <stdexcept>

// The base of every error the program raises itself (data layer, workbooks, report
// engine, conversions): a Chinese message for the user and, where it helps, a detail for
// the developer (the engine's own text, a statement). One guard around each command
// catches this base, so a new kind of error needs no new catch anywhere.
class QuilletError : public std::runtime_error {
public:
    explicit QuilletError(const QString &message, const QString &detail = {})
        : std::runtime_error(message.toStdString()), m_message(message), m_detail(detail)
    {
    }
    const QString &message() const { return m_message; }
    const QString &detail() const { return m_detail; }

private:
    QString m_message;
    QString m_detail;
};
