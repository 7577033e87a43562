#pragma once

#include <cstdint>
#include <vector>

namespace miran::hid::linux_backend {

struct InputReportLayout {
    // Longest input report in bytes, with one byte for the report ID even when the device numbers none
    // (the way the reports are handed to the device's reader).
    std::uint16_t length = 0;
    // Whether the device numbers its reports; if not, its reports come without an ID byte.
    bool numbered = false;
};

// Walks a HID report descriptor and sizes its input reports.
InputReportLayout ParseInputReports(const std::vector<std::uint8_t>& descriptor);

} // namespace miran::hid::linux_backend
