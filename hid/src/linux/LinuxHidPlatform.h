#pragma once

#include "HotplugSource.h"
#include "SysfsHidraw.h"
#include "core/UniqueFd.h"
#include "hid/HidPlatform.h"

#include <map>
#include <mutex>

namespace miran::hid::linux_backend {

struct LinuxHidPaths {
    HidrawRoots roots;
    std::filesystem::path udevRun = "/run/udev";
};

// HID access through hidraw: interfaces and their attributes from sysfs, feature reports through the
// node's ioctls, hot-plug from the udev monitor or the kernel's uevents. Where the kernel has no hidraw
// class it is silent: no interfaces, no notifications.
class LinuxHidPlatform : public HidPlatform {
public:
    explicit LinuxHidPlatform(LinuxHidPaths paths = {});

    LinuxHidPlatform(const LinuxHidPlatform&) = delete;
    LinuxHidPlatform& operator=(const LinuxHidPlatform&) = delete;

    bool Loaded() const override { return loaded_; }
    std::vector<THidPnPInfo> CollectInterfaces() override;
    std::unique_ptr<HidHandle> Open(const THidPnPInfo& wanted, HidAccess access) override;
    int NotificationFd() const override { return epollFd_.Get(); }
    void PostNotification() override;
    std::optional<long> TakeNotification() override;

private:
    // What sysfs said about the interface when it was collected, or says now if it is still there.
    std::optional<HidrawInterface> Find(const THidPnPInfo& wanted);
    // Whether the open node is that interface: the kernel reuses node numbers once a device has gone.
    bool IsInterface(int fd, const HidrawInterface& interface) const;

    LinuxHidPaths paths_;
    bool loaded_ = false;
    UniqueFd postedFd_;
    UniqueFd epollFd_;
    std::unique_ptr<HotplugSource> hotplug_; // watched by epollFd_, so closed before it
    std::mutex mutex_;
    std::map<std::string, HidrawInterface> collected_; // by device instance, from the last collection
};

} // namespace miran::hid::linux_backend
