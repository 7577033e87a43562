#pragma once

#include "core/UniqueFd.h"

#include <cstddef>
#include <cstdint>
#include <linux/uhid.h>
#include <string>
#include <vector>

namespace miran::rig {

// What the kernel learns about a device when it is created.
struct UhidIdentity {
    std::string name;
    std::string serial; // the USB serial-number string (the kernel's uniq)
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::uint16_t version = 0x0100;
    std::vector<std::uint8_t> reportDescriptor{};
};

// One kernel HID device whose far side is this process, through /dev/uhid. It exists from construction
// to destruction, as a device exists from plug to unplug. Throws std::system_error when the kernel refuses.
class UhidDevice {
public:
    explicit UhidDevice(const UhidIdentity& identity);

    UhidDevice(const UhidDevice&) = delete;
    UhidDevice& operator=(const UhidDevice&) = delete;

    // Readable when the kernel has a request for the device.
    int Fd() const { return fd_.Get(); }
    uhid_event Read();
    // A GET_REPORT answer; its bytes become the caller's buffer from byte 0 on.
    void AnswerGet(std::uint32_t id, const std::uint8_t* data, std::size_t size, bool ok);
    void AnswerSet(std::uint32_t id, bool ok);

private:
    void Write(const uhid_event& event);

    UniqueFd fd_; // closing it destroys the kernel device; requests in flight fail
};

} // namespace miran::rig
