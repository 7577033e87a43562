#pragma once

#include "ReportDescriptor.h"
#include "hid/HidPlatform.h"

#include <filesystem>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace miran::hid::linux_backend {

// What sysfs tells about one hidraw node, without opening it.
struct HidrawInterface {
    THidPnPInfo info;         // DeviceInstance: the HID device's sysfs name; DevicePath: the node
    HidAttributes attributes; // vendor and product from HID_ID, version from the USB device's bcdDevice
    std::string serial;       // HID_UNIQ
    InputReportLayout input;  // from the report descriptor
    dev_t number = 0;         // the node's device number
};

struct HidrawRoots {
    std::filesystem::path sysfs = "/sys";
    std::filesystem::path dev = "/dev";
};

// Whether the kernel offers the hidraw class at all.
bool HidrawClassExists(const HidrawRoots& roots);
// Every hidraw node in the order of their numbers.
std::vector<HidrawInterface> ReadHidrawClass(const HidrawRoots& roots);
// One node by its class name ("hidraw3"); nothing when it has gone or is not a HID device.
std::optional<HidrawInterface> ReadHidraw(const HidrawRoots& roots, const std::string& name);
// The DeviceInstance of the HID device whose node has this device number now; nothing when there is none.
std::optional<std::string> InstanceOfNode(const HidrawRoots& roots, dev_t number);

} // namespace miran::hid::linux_backend
