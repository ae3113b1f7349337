#pragma once

#include "store/QuilletError.h"

// A network transfer failed: the server could not be reached, refused us, or sent what we
// cannot use.
class TransportError : public QuilletError {
public:
    using QuilletError::QuilletError;
};
