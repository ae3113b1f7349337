#pragma once

#include "store/QuilletError.h"

// A network transfer failed: the server could not be reached, refused us, or sent what we
// cannot use.
class TransportError : public QuilletError {
public:
    using QuilletError::QuilletError;
};

// A transfer stopped because it was asked to: nothing failed, so nothing is to be told.
class TransferCancelled : public TransportError {
public:
    TransferCancelled() : TransportError(QStringLiteral("传输已取消。")) {}
};
