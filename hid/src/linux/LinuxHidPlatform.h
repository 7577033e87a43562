#pragma once

#include "HotplugSource.h"
#include "SysfsHidraw.h"
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
    ~LinuxHidPlatform() override;

    LinuxHidPlatform(const LinuxHidPlatform&) = delete;
    LinuxHidPlatform& operator=(const LinuxHidPlatform&) = delete;

    bool Loaded() const override { return loaded_; }
    std::vector<THidPnPInfo> CollectInterfaces() override;
    std::unique_ptr<HidHandle> Open(const std::string& devicePath, HidAccess access) override;
    int NotificationFd() const override { return epollFd_; }
    void PostNotification() override;
    std::optional<long> TakeNotification() override;

private:
    std::optional<HidrawInterface> Find(const std::string& devicePath);

    LinuxHidPaths paths_;
    bool loaded_ = false;
    std::unique_ptr<HotplugSource> hotplug_;
    int postedFd_ = -1;
    int epollFd_ = -1;
    std::mutex mutex_;
    std::map<std::string, HidrawInterface> collected_; // by device path, from the last collection
};

} // namespace miran::hid::linux_backend
