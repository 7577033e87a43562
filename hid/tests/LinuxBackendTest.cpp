#include "hid/HidDeviceController.h"
#include "linux/HidrawHandle.h"
#include "linux/LinuxHidPlatform.h"
#include "linux/SysfsHidraw.h"

#include <cerrno>
#include <fstream>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

namespace miran::hid::linux_backend {
namespace {

namespace fs = std::filesystem;

// A sysfs tree (and an empty /dev) in a temporary folder, laid out as the kernel lays out hidraw nodes.
class SysfsTree {
public:
    SysfsTree() {
        std::string pattern = (fs::temp_directory_path() / "hid-sysfs-XXXXXX").string();
        root_ = mkdtemp(pattern.data());
        fs::create_directories(root_ / "sys" / "class" / "hidraw");
        fs::create_directories(root_ / "dev");
    }
    ~SysfsTree() { fs::remove_all(root_); }

    HidrawRoots Roots() const { return {root_ / "sys", root_ / "dev"}; }

    // A USB HID interface: usb device, its interface, the HID device and its hidraw node.
    void AddUsb(const std::string& node, const std::string& hidName, const std::string& hidId,
                const std::string& uniq, const std::string& bcdDevice,
                const std::vector<std::uint8_t>& descriptor = {}) {
        const fs::path usb = "devices/pci0000:00/0000:00:14.0/usb1/1-" + std::to_string(++usbPort_);
        Write(usb / "bcdDevice", bcdDevice + "\n");
        AddHid(usb / ("1-" + std::to_string(usbPort_) + ":1.0") / hidName, node, hidId, uniq, descriptor);
    }

    // A HID device created from user space (uhid), with no USB device above it.
    void AddUhid(const std::string& node, const std::string& hidName, const std::string& hidId,
                 const std::string& uniq) {
        AddHid(fs::path("devices/virtual/misc/uhid") / hidName, node, hidId, uniq, {});
    }

    void Write(const fs::path& relative, const std::string& text) {
        fs::create_directories((root_ / "sys" / relative).parent_path());
        std::ofstream(root_ / "sys" / relative, std::ios::binary) << text;
    }

    fs::path Root() const { return root_; }

private:
    void AddHid(const fs::path& hid, const std::string& node, const std::string& hidId,
                const std::string& uniq, const std::vector<std::uint8_t>& descriptor) {
        Write(hid / "uevent", "DRIVER=hid-generic\nHID_ID=" + hidId +
                                  "\nHID_NAME=Test\nHID_PHYS=usb-1/input0\n" + "HID_UNIQ=" + uniq +
                                  "\nMODALIAS=hid:b0003\n");
        Write(hid / "report_descriptor", std::string(descriptor.begin(), descriptor.end()));
        const fs::path hidraw = hid / "hidraw" / node;
        Write(hidraw / "uevent", "MAJOR=241\nMINOR=0\nDEVNAME=" + node + "\n");
        fs::create_directory_symlink("../../../" + hid.filename().string(),
                                     root_ / "sys" / hidraw / "device");
        fs::create_directory_symlink("../../" + hidraw.string(), root_ / "sys" / "class" / "hidraw" / node);
    }

    fs::path root_;
    int usbPort_ = 0;
};

TEST(SysfsHidraw, CollectsNodesInNumberOrderWithTheirIdentity) {
    SysfsTree tree;
    tree.AddUsb("hidraw10", "0003:046D:C31C.000B", "0003:0000046D:0000C31C", "", "6400",
                {0x75, 0x08, 0x95, 0x08, 0x81, 0x02});
    tree.AddUsb("hidraw2", "0003:16C0:2AA8.0005", "0003:000016C0:00002AA8", "PM0000000001", "0100");
    tree.AddUhid("hidraw3", "0003:16C0:2AA8.0007", "0003:000016C0:00002AA8", "PM0000000002");

    std::vector<HidrawInterface> found = ReadHidrawClass(tree.Roots());
    ASSERT_EQ(found.size(), 3u);
    const HidrawInterface& programmer = found[0];
    EXPECT_EQ(programmer.info.DevicePath, (tree.Root() / "dev" / "hidraw2").string());
    EXPECT_EQ(programmer.info.DeviceInstance, "0003:16C0:2AA8.0005");
    EXPECT_EQ(programmer.attributes.VendorID, 0x16C0);
    EXPECT_EQ(programmer.attributes.ProductID, 0x2AA8);
    EXPECT_EQ(programmer.attributes.VersionNumber, 0x0100);
    EXPECT_EQ(programmer.serial, "PM0000000001");

    const HidrawInterface& uhid = found[1];
    EXPECT_EQ(uhid.info.DeviceInstance, "0003:16C0:2AA8.0007");
    EXPECT_EQ(uhid.attributes.VersionNumber, 0) << "no USB device above it";
    EXPECT_EQ(uhid.serial, "PM0000000002");

    const HidrawInterface& keyboard = found[2];
    EXPECT_EQ(keyboard.attributes.VendorID, 0x046D);
    EXPECT_EQ(keyboard.attributes.VersionNumber, 0x6400);
    EXPECT_EQ(keyboard.serial, "");
    EXPECT_EQ(keyboard.input.length, 9);
}

TEST(SysfsHidraw, SkipsNodesThatAreHalfGoneOrMalformed) {
    SysfsTree tree;
    tree.AddUsb("hidraw0", "0003:16C0:2AA8.0001", "0003:000016C0:00002AA8", "A", "0100");
    tree.AddUsb("hidraw1", "0003:16C0:2AA8.0002", "garbage", "B", "0100");
    tree.Write("class/hidraw/hidraw2/uevent", "DEVNAME=hidraw2\n"); // no HID device link
    std::vector<HidrawInterface> found = ReadHidrawClass(tree.Roots());
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].serial, "A");
}

TEST(LinuxHidPlatform, SilentWithoutTheHidrawClass) {
    SysfsTree tree;
    fs::remove(tree.Root() / "sys" / "class" / "hidraw");
    auto platform = std::make_shared<LinuxHidPlatform>(LinuxHidPaths{tree.Roots(), tree.Root() / "run-udev"});
    EXPECT_FALSE(platform->Loaded());
    EXPECT_EQ(platform->NotificationFd(), -1);
    EXPECT_FALSE(platform->TakeNotification());

    int changes = 0;
    THidDeviceController controller(platform, {.OnDeviceChange = TNotifyEvent([&] { ++changes; })});
    controller.HandleNotification();
    controller.DeviceChange();
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(controller.Count(), 0);
}

TEST(LinuxHidPlatform, NodeTheUserMayNotOpenIsListedWithoutReadWriteAccess) {
    SysfsTree tree;
    tree.AddUsb("hidraw0", "0003:16C0:2AA8.0001", "0003:000016C0:00002AA8", "PM0000000001", "0100");
    // No node in the fixture's /dev: every open fails, as for a node without permission.
    auto platform = std::make_shared<LinuxHidPlatform>(LinuxHidPaths{tree.Roots(), tree.Root() / "run-udev"});
    ASSERT_TRUE(platform->Loaded());

    std::vector<std::string> serials;
    THidDeviceController controller(platform);
    controller.SetOnEnumerate(THidEnumerateEvent([&](THidDevice& device, int) {
        EXPECT_FALSE(device.ReadWriteAccess());
        serials.push_back(device.SerialNumber());
        std::uint8_t report[8] = {3};
        EXPECT_FALSE(device.GetFeature(report, sizeof report));
        return true;
    }));
    EXPECT_NO_THROW(controller.DeviceChange());
    EXPECT_EQ(controller.EnumerateDevices(), 1);
    EXPECT_EQ(serials, std::vector<std::string>{"PM0000000001"});
}

TEST(LinuxHidPlatform, FirstNotificationIsPostedThroughTheDescriptor) {
    SysfsTree tree;
    auto platform = std::make_shared<LinuxHidPlatform>(LinuxHidPaths{tree.Roots(), tree.Root() / "run-udev"});
    ASSERT_GE(platform->NotificationFd(), 0);
    EXPECT_FALSE(platform->TakeNotification());
    platform->PostNotification();
    EXPECT_EQ(platform->TakeNotification(), -1);
    EXPECT_FALSE(platform->TakeNotification());
}

// A pipe stands in for the node: what is written to it arrives as an input report.
class HidrawHandleOverPipe : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        ASSERT_EQ(pipe(fds_), 0);
        HidrawInterface interface;
        interface.input = {5, GetParam()};
        handle_ = std::make_unique<HidrawHandle>(fds_[0], interface);
    }
    void TearDown() override {
        if (fds_[1] >= 0)
            close(fds_[1]);
    }
    void CloseWriter() {
        close(fds_[1]);
        fds_[1] = -1;
    }

    int fds_[2] = {-1, -1};
    std::unique_ptr<HidrawHandle> handle_;
};

TEST_P(HidrawHandleOverPipe, ReportsStartWithTheirId) {
    const bool numbered = GetParam();
    std::uint8_t buffer[5] = {};
    EXPECT_EQ(handle_->ReadInputReport(buffer, sizeof buffer, std::chrono::milliseconds(0)).status,
              HidInputRead::Status::Timeout);

    const std::uint8_t sent[] = {7, 1, 2, 3};
    ASSERT_EQ(write(fds_[1], sent, sizeof sent), 4);
    HidInputRead read = handle_->ReadInputReport(buffer, sizeof buffer, std::chrono::milliseconds(1000));
    ASSERT_EQ(read.status, HidInputRead::Status::Report);
    if (numbered) {
        EXPECT_EQ(read.bytes, 4u);
        EXPECT_EQ(std::vector<std::uint8_t>(buffer, buffer + 4), (std::vector<std::uint8_t>{7, 1, 2, 3}));
    } else {
        EXPECT_EQ(read.bytes, 5u) << "an ID byte 0 is put in front";
        EXPECT_EQ(std::vector<std::uint8_t>(buffer, buffer + 5), (std::vector<std::uint8_t>{0, 7, 1, 2, 3}));
    }

    CloseWriter(); // the node went away
    read = handle_->ReadInputReport(buffer, sizeof buffer, std::chrono::milliseconds(1000));
    EXPECT_EQ(read.status, HidInputRead::Status::Error);
    EXPECT_EQ(read.error, static_cast<std::uint32_t>(ENODEV));
}

TEST_P(HidrawHandleOverPipe, FeatureReportsFailOnSomethingThatIsNoHidrawNode) {
    std::uint8_t report[8] = {3};
    EXPECT_FALSE(handle_->GetFeature(report, sizeof report));
    EXPECT_FALSE(handle_->SetFeature(report, sizeof report));
}

INSTANTIATE_TEST_SUITE_P(Reports, HidrawHandleOverPipe, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Numbered" : "Unnumbered"; });

} // namespace
} // namespace miran::hid::linux_backend
