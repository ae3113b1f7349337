#pragma once

#include <QString>
#include <stdexcept>

// The error of a report function: a null or unconvertible argument, a len that is not a
// whole number, an amount that cannot be written in the boxes given. It is raised out of
// frxReportUserFunction (and out of rmbToBIG4Fill/rmbToBIG4Round themselves); the report
// engine catches it, stops the preparation of the report and shows message() together
// with the name of the object and the expression that made the call. Nothing of the
// report is printed after it.
class ReportFunctionError : public std::runtime_error {
public:
    explicit ReportFunctionError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {
    }
    // The Chinese text for the user, naming the function and the offending value.
    const QString &message() const { return m_message; }

private:
    QString m_message;
};
