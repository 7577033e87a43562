#pragma once

#include "core/ComponentError.h"
#include "core/ConvertError.h"

namespace miran::settings {

// A value path the storage cannot map to a section and key, or a failed file lock.
class EAppStorageError : public EComponentError {
public:
    using EComponentError::EComponentError;
};

} // namespace miran::settings
