#include "ReportDescriptor.h"

namespace miran::rig {

std::vector<std::uint8_t> FeatureReportDescriptor(const std::vector<FeatureReport>& reports) {
    std::vector<std::uint8_t> d = {
        0x06, 0x00, 0xFF, // Usage Page (vendor defined 0xFF00)
        0x09, 0x01,       // Usage (1)
        0xA1, 0x01,       // Collection (Application)
        0x15, 0x00,       //   Logical Minimum (0)
        0x26, 0xFF, 0x00, //   Logical Maximum (255)
        0x75, 0x08,       //   Report Size (8)
    };
    for (const FeatureReport& report : reports) {
        const std::size_t count = report.length - 1;
        d.insert(d.end(), {
                              0x85, report.id,                        // Report ID
                              0x96, static_cast<std::uint8_t>(count), // Report Count (two bytes)
                              static_cast<std::uint8_t>(count >> 8), 0x09, report.id, // Usage
                              0xB1, 0x02, // Feature (Data, Variable, Absolute)
                          });
    }
    d.push_back(0xC0); // End Collection
    return d;
}

} // namespace miran::rig
