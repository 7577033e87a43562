#pragma once

#include "hid/HidPlatform.h"

#include <memory>

namespace miran::hid {

// The backend of the system the program runs on (hidraw on Linux). Throws std::system_error when the system
// refuses what it needs to wait for notifications.
std::shared_ptr<HidPlatform> CreateSystemHidPlatform();

} // namespace miran::hid
