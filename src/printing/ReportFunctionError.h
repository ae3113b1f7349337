#pragma once

#include "store/QuilletError.h"

// The error of a report function: a null or unconvertible argument, a len that is not a
// whole number, an amount that cannot be written in the boxes given. It is raised out of
// frxReportUserFunction (and out of rmbToBIG4Fill/rmbToBIG4Round themselves); the report
// engine catches it, stops the preparation of the report and shows message() together
// with the name of the object and the expression that made the call. Nothing of the
// report is printed after it.
class ReportFunctionError : public QuilletError {
public:
    using QuilletError::QuilletError;
};
