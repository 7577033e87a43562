#include "HidrawHandle.h"

#include <cerrno>
#include <linux/hidraw.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace miran::hid::linux_backend {

HidrawHandle::HidrawHandle(UniqueFd fd, HidrawInterface interface)
    : fd_(std::move(fd)), interface_(std::move(interface)) {}

bool HidrawHandle::GetAttributes(HidAttributes& attributes) {
    attributes = interface_.attributes;
    return true;
}

bool HidrawHandle::GetFeature(std::uint8_t* buffer, std::size_t length) {
    if (fd_.Get() < 0) {
        errno = EBADF;
        return false;
    }
    return ioctl(fd_.Get(), HIDIOCGFEATURE(length), buffer) >= 0;
}

bool HidrawHandle::SetFeature(const std::uint8_t* buffer, std::size_t length) {
    if (fd_.Get() < 0) {
        errno = EBADF;
        return false;
    }
    // The kernel only reads the buffer.
    return ioctl(fd_.Get(), HIDIOCSFEATURE(length), const_cast<std::uint8_t*>(buffer)) >= 0;
}

bool HidrawHandle::GetSerialNumberString(std::string& serial) {
    if (interface_.serial.empty())
        return false;
    serial = interface_.serial;
    return true;
}

HidInputRead HidrawHandle::ReadInputReport(std::uint8_t* buffer, std::size_t length,
                                           std::chrono::milliseconds wait) {
    if (fd_.Get() < 0 || length == 0)
        return {HidInputRead::Status::Error, 0, EBADF};
    pollfd watched{fd_.Get(), POLLIN, 0};
    int ready = poll(&watched, 1, static_cast<int>(wait.count()));
    if (ready < 0)
        return errno == EINTR ? HidInputRead{}
                              : HidInputRead{HidInputRead::Status::Error, 0, std::uint32_t(errno)};
    if (ready == 0)
        return {};
    if (watched.revents & (POLLERR | POLLHUP | POLLNVAL))
        return {HidInputRead::Status::Error, 0, ENODEV};
    // Reports of a device without report IDs come without the ID byte: put a 0 in its place.
    const std::size_t offset = interface_.input.numbered ? 0 : 1;
    if (offset == 1) {
        buffer[0] = 0;
        if (length == 1)
            return {HidInputRead::Status::Error, 0, EINVAL};
    }
    ssize_t n = read(fd_.Get(), buffer + offset, length - offset);
    if (n < 0)
        return errno == EAGAIN || errno == EINTR
                   ? HidInputRead{}
                   : HidInputRead{HidInputRead::Status::Error, 0, std::uint32_t(errno)};
    if (n == 0)
        return {};
    return {HidInputRead::Status::Report, static_cast<std::size_t>(n) + offset, 0};
}

} // namespace miran::hid::linux_backend
