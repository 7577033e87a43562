#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace miran::rig {

struct FeatureReport {
    std::uint8_t id;
    std::size_t length; // including the report ID byte
};

// A vendor-defined HID report descriptor with nothing but these feature reports, each of length - 1 data
// bytes.
std::vector<std::uint8_t> FeatureReportDescriptor(const std::vector<FeatureReport>& reports);

} // namespace miran::rig
