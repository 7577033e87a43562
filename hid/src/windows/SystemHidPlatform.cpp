#include "hid/SystemHidPlatform.h"

#include "WindowsHidPlatform.h"

namespace miran::hid {

std::shared_ptr<HidPlatform> CreateSystemHidPlatform() {
    return std::make_shared<windows_backend::WindowsHidPlatform>();
}

} // namespace miran::hid
