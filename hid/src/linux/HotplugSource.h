#pragma once

#include <filesystem>
#include <memory>

namespace miran::hid::linux_backend {

// Where hidraw nodes coming and going are heard: a descriptor to watch, and a drain that says whether any
// of the pending events added or removed a hidraw node.
class HotplugSource {
public:
    virtual ~HotplugSource() = default;
    virtual int Fd() const = 0;
    virtual bool DrainNodeChanges() = 0;
};

// The udev monitor when udevd runs and libudev can be bound (its events come once the node's permissions
// are set), else the kernel's uevent socket; nothing when neither can be opened.
std::unique_ptr<HotplugSource> OpenHotplugSource(const std::filesystem::path& udevRunDir);

std::unique_ptr<HotplugSource> OpenKernelUeventSource();
std::unique_ptr<HotplugSource> OpenUdevSource(const std::filesystem::path& udevRunDir);

} // namespace miran::hid::linux_backend
