#pragma once

#include "store/QuilletError.h"

// Arguments the command line cannot take: an unknown command or option, a missing value.
class CommandLineError : public QuilletError {
public:
    using QuilletError::QuilletError;
};
