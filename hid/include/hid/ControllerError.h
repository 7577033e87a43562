#pragma once

#include "core/ComponentError.h"

namespace miran::hid {

class EControllerError : public EComponentError {
public:
    using EComponentError::EComponentError;
};

inline constexpr const char* kDeviceCannotBeOpened = "Device cannot be opened";
inline constexpr const char* kDeviceCannotBeIdentified = "Device cannot be identified";

} // namespace miran::hid
