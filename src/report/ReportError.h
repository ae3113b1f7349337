#pragma once

#include "store/QuilletError.h"

// An error the engine reports to the user: loading a template, preparing or printing.
// The message is the Chinese text shown as it is.
class ReportError : public QuilletError {
public:
    using QuilletError::QuilletError;
};
