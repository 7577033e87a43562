#include "hid/SystemHidPlatform.h"

#include "LinuxHidPlatform.h"

namespace miran::hid {

std::shared_ptr<HidPlatform> CreateSystemHidPlatform() {
    return std::make_shared<linux_backend::LinuxHidPlatform>();
}

} // namespace miran::hid
