#pragma once

#include <QString>
#include <stdexcept>

// Every failure of the data layer: the text is the Chinese message shown to the user.
class StoreError : public std::runtime_error {
public:
    explicit StoreError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {
    }
    const QString &message() const { return m_message; }

private:
    QString m_message;
};
