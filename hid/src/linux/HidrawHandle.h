#pragma once

#include "SysfsHidraw.h"
#include "core/UniqueFd.h"
#include "hid/HidPlatform.h"

namespace miran::hid::linux_backend {

// An open hidraw node. Attributes and strings come from what sysfs said; a handle without a descriptor
// (the user may not open the node) answers those and refuses transfers.
class HidrawHandle : public HidHandle {
public:
    HidrawHandle(UniqueFd fd, HidrawInterface interface);

    bool GetAttributes(HidAttributes& attributes) override;
    bool GetFeature(std::uint8_t* buffer, std::size_t length) override;
    bool SetFeature(const std::uint8_t* buffer, std::size_t length) override;
    bool GetSerialNumberString(std::string& serial) override;
    std::uint16_t InputReportLength() override { return interface_.input.length; }
    HidInputRead ReadInputReport(std::uint8_t* buffer, std::size_t length,
                                 std::chrono::milliseconds wait) override;

private:
    UniqueFd fd_;
    HidrawInterface interface_;
};

} // namespace miran::hid::linux_backend
