#pragma once

#include "store/QuilletError.h"

// Every failure of the data layer: the text is the Chinese message shown to the user.
class StoreError : public QuilletError {
public:
    using QuilletError::QuilletError;
};
