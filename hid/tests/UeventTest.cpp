#include "linux/Uevent.h"

#include "linux/ReportDescriptor.h"

#include <gtest/gtest.h>
#include <string>

namespace miran::hid::linux_backend {
namespace {

using namespace std::string_literals;

struct KernelMessage {
    const char* name;
    std::string bytes;
    bool parsed;
    bool nodeChange;
};

// Datagrams as the kernel sends them on the uevent socket (and one that udevd sends on its own group).
const KernelMessage kKernelMessages[] = {
    {"HidrawAdd",
     "add@/devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/0003:16C0:2AA8.0003/hidraw/hidraw0\0"
     "ACTION=add\0DEVPATH=/devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/0003:16C0:2AA8.0003/hidraw/"
     "hidraw0\0"
     "SUBSYSTEM=hidraw\0MAJOR=241\0MINOR=0\0DEVNAME=hidraw0\0SEQNUM=4521\0"s,
     true, true},
    {"HidrawRemove",
     "remove@/devices/virtual/misc/uhid/0003:16C0:2AA8.0007/hidraw/hidraw3\0ACTION=remove\0"
     "DEVPATH=/devices/virtual/misc/uhid/0003:16C0:2AA8.0007/hidraw/hidraw3\0SUBSYSTEM=hidraw\0MAJOR=241\0"
     "MINOR=3\0DEVNAME=hidraw3\0SEQNUM=4602\0"s,
     true, true},
    {"HidDeviceBind",
     "bind@/devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/0003:16C0:2AA8.0003\0ACTION=bind\0"
     "DEVPATH=/devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/0003:16C0:2AA8.0003\0SUBSYSTEM=hid\0"
     "DRIVER=hid-generic\0HID_ID=0003:000016C0:00002AA8\0HID_UNIQ=PM0000000001\0SEQNUM=4522\0"s,
     true, false},
    {"UsbDeviceAdd",
     "add@/devices/pci0000:00/0000:00:14.0/usb1/1-2\0ACTION=add\0DEVPATH=/devices/pci0000:00/0000:00:14.0/"
     "usb1/1-2\0"
     "SUBSYSTEM=usb\0DEVNAME=bus/usb/001/007\0DEVTYPE=usb_device\0PRODUCT=16c0/2aa8/100\0SEQNUM=4517\0"s,
     true, false},
    {"HidrawChange",
     "change@/devices/virtual/misc/uhid/0003:16C0:2AA8.0007/hidraw/hidraw3\0ACTION=change\0"
     "SUBSYSTEM=hidraw\0DEVNAME=hidraw3\0SEQNUM=4603\0"s,
     true, false},
    {"UdevdMessage",
     "libudev\0\xfe\xed\xca\xfe\x28\0\0\0\x28\0\0\0\x60\0\0\0"
     "ACTION=add\0SUBSYSTEM=hidraw\0DEVNAME=/dev/hidraw0\0"s,
     false, false},
    {"Empty", ""s, false, false},
    {"HeaderOnly", "add@/devices/x"s, false, false},
};

class KernelUevent : public ::testing::TestWithParam<KernelMessage> {};

TEST_P(KernelUevent, IsParsedAndFiltered) {
    const KernelMessage& message = GetParam();
    auto event = ParseKernelUevent(message.bytes.data(), message.bytes.size());
    ASSERT_EQ(event.has_value(), message.parsed);
    if (event) {
        EXPECT_EQ(IsHidrawNodeChange(*event), message.nodeChange);
    }
}

INSTANTIATE_TEST_SUITE_P(Captured, KernelUevent, ::testing::ValuesIn(kKernelMessages),
                         [](const auto& paramInfo) { return paramInfo.param.name; });

TEST(KernelUeventProperties, AreSplitAtTheFirstEqualsSign) {
    std::string bytes = "add@/x\0ACTION=add\0HID_NAME=A=B\0SUBSYSTEM=hidraw\0"s;
    auto event = ParseKernelUevent(bytes.data(), bytes.size());
    ASSERT_TRUE(event);
    EXPECT_EQ(event->at("HID_NAME"), "A=B");
    EXPECT_EQ(event->at("SUBSYSTEM"), "hidraw");
}

TEST(UdevEvent, OnlyHidrawAddAndRemoveCount) {
    // What the udev monitor reports for a programmer plugged and pulled, and for its other devices.
    struct Case {
        UeventProperties event;
        bool nodeChange;
    };
    const Case cases[] = {
        {{{"ACTION", "add"}, {"SUBSYSTEM", "hidraw"}, {"DEVNAME", "hidraw0"}}, true},
        {{{"ACTION", "remove"}, {"SUBSYSTEM", "hidraw"}, {"DEVNAME", "hidraw0"}}, true},
        {{{"ACTION", "change"}, {"SUBSYSTEM", "hidraw"}}, false},
        {{{"ACTION", "add"}, {"SUBSYSTEM", "input"}}, false},
        {{{"SUBSYSTEM", "hidraw"}}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsHidrawNodeChange(c.event), c.nodeChange);
}

struct DescriptorCase {
    const char* name;
    std::vector<std::uint8_t> descriptor;
    std::uint16_t length;
    bool numbered;
};

const DescriptorCase kDescriptors[] = {
    // Boot keyboard: 8-byte input report without report IDs.
    {"BootKeyboard",
     {0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x05, 0x07, 0x19, 0xE0, 0x29, 0xE7, 0x15, 0x00, 0x25, 0x01,
      0x75, 0x01, 0x95, 0x08, 0x81, 0x02, 0x95, 0x01, 0x75, 0x08, 0x81, 0x03, 0x95, 0x05, 0x75, 0x01,
      0x05, 0x08, 0x19, 0x01, 0x29, 0x05, 0x91, 0x02, 0x95, 0x01, 0x75, 0x03, 0x91, 0x03, 0x95, 0x06,
      0x75, 0x08, 0x15, 0x00, 0x25, 0x65, 0x05, 0x07, 0x19, 0x00, 0x29, 0x65, 0x81, 0x00, 0xC0},
     9,
     false},
    // The programmer: feature reports 1 (1024 bytes), 2 (7) and 3 (4), no input reports.
    {"ProgrammerFeaturesOnly",
     {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08,
      0x85, 0x01, 0x96, 0x00, 0x04, 0x09, 0x01, 0xB1, 0x02, 0x85, 0x02, 0x95, 0x07, 0x09,
      0x01, 0xB1, 0x02, 0x85, 0x03, 0x95, 0x04, 0x09, 0x01, 0xB1, 0x02, 0xC0},
     0,
     true},
    // Two numbered input reports: the longer one counts.
    {"NumberedInputs",
     {0x75, 0x08, 0x85, 0x01, 0x95, 0x03, 0x81, 0x02, 0x85, 0x02,
      0x95, 0x10, 0x81, 0x02, 0x85, 0x01, 0x95, 0x02, 0x81, 0x02},
     17,
     true},
    // Bits are summed before rounding up; push and pop restore the sizes; long items are skipped.
    {"PushPopAndLongItem",
     {0x75, 0x01, 0x95, 0x03, 0x81, 0x02, 0xA4, 0x75, 0x08, 0x95, 0x02,
      0x81, 0x02, 0xB4, 0xFE, 0x02, 0x10, 0xAA, 0xBB, 0x81, 0x02},
     4,
     false},
    {"Truncated", {0x75, 0x08, 0x96, 0x00}, 0, false},
};

class InputReports : public ::testing::TestWithParam<DescriptorCase> {};

TEST_P(InputReports, AreSizedWithTheIdByte) {
    InputReportLayout layout = ParseInputReports(GetParam().descriptor);
    EXPECT_EQ(layout.length, GetParam().length);
    EXPECT_EQ(layout.numbered, GetParam().numbered);
}

INSTANTIATE_TEST_SUITE_P(Descriptors, InputReports, ::testing::ValuesIn(kDescriptors),
                         [](const auto& paramInfo) { return paramInfo.param.name; });

} // namespace
} // namespace miran::hid::linux_backend
