// HID report descriptors as sysfs hands them over, sized for the input reports.
#include "ReportDescriptor.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    miran::hid::linux_backend::ParseInputReports(std::vector<std::uint8_t>(data, data + size));
    return 0;
}
