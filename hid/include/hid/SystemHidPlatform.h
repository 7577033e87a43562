#pragma once

#include "hid/HidPlatform.h"

#include <memory>

namespace miran::hid {

// The backend of the system the program runs on (hidraw on Linux).
std::shared_ptr<HidPlatform> CreateSystemHidPlatform();

} // namespace miran::hid
