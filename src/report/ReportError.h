#pragma once

#include <QString>
#include <stdexcept>

// An error the engine reports to the user: loading a template, preparing or printing.
// The message is the Chinese text shown as it is.
class ReportError : public std::runtime_error {
public:
    explicit ReportError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {
    }
    QString message() const { return m_message; }

private:
    QString m_message;
};
