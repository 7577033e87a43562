#pragma once

#include "core/ComponentError.h"

#include <stdexcept>
#include <string>

namespace miran::settings {

// A value path the storage cannot map to a section and key, or a failed file lock.
class EAppStorageError : public EComponentError {
public:
    using EComponentError::EComponentError;
};

// A stored text that cannot be converted to the requested type.
class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace miran::settings
