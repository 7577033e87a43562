#include "LinuxHidPlatform.h"

#include "HidrawHandle.h"
#include "hid/DebugLog.h"

#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace miran::hid::linux_backend {

namespace {

void Watch(int epollFd, int fd) {
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.fd = fd;
    if (epoll_ctl(epollFd, EPOLL_CTL_ADD, fd, &event) != 0)
        throw std::system_error(errno, std::generic_category(), "epoll_ctl");
}

} // namespace

LinuxHidPlatform::LinuxHidPlatform(LinuxHidPaths paths) : paths_(std::move(paths)) {
    if (!HidrawClassExists(paths_.roots)) {
        DebugLog("no hidraw class in " + paths_.roots.sysfs.string() + ": no devices, no hot-plug source");
        return;
    }
    loaded_ = true;
    postedFd_ = CheckedFd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK), "eventfd");
    epollFd_ = CheckedFd(epoll_create1(EPOLL_CLOEXEC), "epoll_create1");
    Watch(epollFd_.Get(), postedFd_.Get());
    // Without a hot-plug source the first scan still runs; later changes then go unnoticed.
    hotplug_ = OpenHotplugSource(paths_.udevRun);
    if (hotplug_)
        Watch(epollFd_.Get(), hotplug_->Fd());
}

std::vector<THidPnPInfo> LinuxHidPlatform::CollectInterfaces() {
    std::vector<HidrawInterface> found = ReadHidrawClass(paths_.roots);
    std::vector<THidPnPInfo> result;
    std::lock_guard lock(mutex_);
    collected_.clear();
    for (HidrawInterface& interface : found) {
        result.push_back(interface.info);
        collected_.emplace(interface.info.DeviceInstance, std::move(interface));
    }
    return result;
}

std::optional<HidrawInterface> LinuxHidPlatform::Find(const THidPnPInfo& wanted) {
    {
        std::lock_guard lock(mutex_);
        if (auto it = collected_.find(wanted.DeviceInstance);
            it != collected_.end() && it->second.info.DevicePath == wanted.DevicePath)
            return it->second;
    }
    auto now = ReadHidraw(paths_.roots, std::filesystem::path(wanted.DevicePath).filename().string());
    if (!now || now->info.DeviceInstance != wanted.DeviceInstance)
        return std::nullopt;
    return now;
}

bool LinuxHidPlatform::IsInterface(int fd, const HidrawInterface& interface) const {
    struct stat node {};
    return fstat(fd, &node) == 0 && S_ISCHR(node.st_mode) && node.st_rdev == interface.number &&
           InstanceOfNode(paths_.roots, node.st_rdev) == interface.info.DeviceInstance;
}

std::unique_ptr<HidHandle> LinuxHidPlatform::Open(const THidPnPInfo& wanted, HidAccess access) {
    std::optional<HidrawInterface> interface = Find(wanted);
    if (!interface) {
        DebugLog("open " + wanted.DevicePath + ": " + wanted.DeviceInstance + " has gone from sysfs");
        errno = ENODEV;
        return nullptr;
    }
    const int flags = access == HidAccess::ReadWrite ? O_RDWR | O_CLOEXEC
                      : access == HidAccess::Read    ? O_RDONLY | O_CLOEXEC | O_NONBLOCK
                                                     : O_RDONLY | O_CLOEXEC;
    UniqueFd fd(open(wanted.DevicePath.c_str(), flags));
    if (fd.Get() >= 0 && !IsInterface(fd.Get(), *interface)) {
        DebugLog("open " + wanted.DevicePath + ": identity mismatch, the node is no longer " +
                 wanted.DeviceInstance);
        fd = UniqueFd();
        errno = ENODEV;
    }
    // What sysfs said is enough to answer a query; the node is opened as far as the user may.
    if (fd.Get() < 0 && access != HidAccess::QueryOnly)
        return nullptr;
    return std::make_unique<HidrawHandle>(std::move(fd), std::move(*interface));
}

void LinuxHidPlatform::PostNotification() {
    if (postedFd_.Get() < 0)
        return;
    std::uint64_t one = 1;
    [[maybe_unused]] ssize_t written = write(postedFd_.Get(), &one, sizeof one);
}

std::optional<long> LinuxHidPlatform::TakeNotification() {
    std::uint64_t count = 0;
    bool posted =
        postedFd_.Get() >= 0 && read(postedFd_.Get(), &count, sizeof count) == sizeof count && count > 0;
    bool changed = hotplug_ && hotplug_->DrainNodeChanges();
    if (posted)
        return -1;
    if (changed)
        return 0;
    return std::nullopt;
}

} // namespace miran::hid::linux_backend
