#pragma once

#include "update/Protocol.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>

namespace miran::hid {
class THidDevice;
}

namespace miran::update {

// One feature-report transfer as it crossed (or failed to cross) the wire.
struct Transfer {
    bool get;                   // GetFeature, else SetFeature
    std::uint8_t reportId;      // as requested; a fetched reply overwrites byte 0 with data
    const std::uint8_t* buffer; // for a Get: the buffer after the fetch
    std::size_t length;
    bool ok;
};

// Fixed-size feature reports to and from CurrentDevice. Every operation returns at once with the HID layer's
// result; none retries.
class CommandChannel {
public:
    // A status report fetched from another device never stands in for this one's.
    void SetCurrentDevice(hid::THidDevice* device) {
        currentDevice_ = device;
        status_ = {};
    }
    hid::THidDevice* CurrentDevice() const { return currentDevice_; }
    // Sees every transfer, failed ones included.
    void SetTransferTrace(std::function<void(const Transfer&)> trace) { trace_ = std::move(trace); }

    bool SendCommand(std::uint8_t command, std::uint16_t param16, std::uint32_t param32);
    bool SendData(const std::uint8_t* data);
    // On failure the destination is untouched.
    bool ReadData(std::uint8_t* destination);
    // The device's Status, or 0xFFFF when the command could not be sent or the status not fetched.
    std::uint16_t Query(std::uint8_t command, std::uint16_t param16, std::uint32_t param32);
    std::uint16_t QueryStatus() { return Query(cmdStatus, 0, 0); }

    // From the last fetched status report; an earlier value of the same device when the last query failed,
    // 0 when none was fetched since the current device was set.
    std::uint16_t Length() const;

private:
    bool Set(const std::uint8_t* buffer, std::size_t length);
    bool Get(std::uint8_t* buffer, std::size_t length);

    hid::THidDevice* currentDevice_ = nullptr;
    std::function<void(const Transfer&)> trace_;
    std::array<std::uint8_t, kCommandReportSize> command_{};
    std::array<std::uint8_t, kStatusReportSize> status_{};
    std::array<std::uint8_t, kDataReportSize> data_{};
};

} // namespace miran::update
