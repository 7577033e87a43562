#include "SysfsTree.h"
#include "hid/DebugLog.h"
#include "hid/HidDeviceController.h"
#include "linux/HidrawHandle.h"
#include "linux/LinuxHidPlatform.h"
#include "linux/SysfsHidraw.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <functional>
#include <gmock/gmock.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <map>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

namespace miran::hid::linux_backend {
namespace {

using ::testing::AnyOf;
using ::testing::ElementsAre;
using ::testing::Eq;
using ::testing::StartsWith;

// The debug log's lines while it lives.
class DebugLines {
public:
    DebugLines() {
        SetDebugSink([this](const std::string& line) { lines.push_back(line); });
    }
    ~DebugLines() { SetDebugSink({}); }
    DebugLines(const DebugLines&) = delete;
    DebugLines& operator=(const DebugLines&) = delete;

    std::vector<std::string> lines;
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
    tree.AddUsb("hidraw99999999999999999999", "0003:16C0:2AA8.0003", "0003:000016C0:00002AA8", "C", "0100");
    std::vector<HidrawInterface> found = ReadHidrawClass(tree.Roots());
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].serial, "A");
}

TEST(SysfsHidraw, SaysWhyEachSkippedNodeWasSkipped) {
    SysfsTree tree;
    tree.AddUsb("hidraw0", "0003:16C0:2AA8.0001", "0003:000016C0:00002AA8", "A", "0100");
    tree.AddUsb("hidraw1", "0003:16C0:2AA8.0002", "garbage", "B", "0100");
    tree.Write("class/hidraw/hidraw2/uevent", "DEVNAME=hidraw2\n");
    tree.AddUsb("hidraw3", "0003:16C0:2AA8.0003", "0003:000016C0:00002AA8", "C", "0100");
    tree.Write("class/hidraw/hidraw3/dev", "241\n");
    tree.AddUsb("hidraw1a", "0003:16C0:2AA8.0004", "0003:000016C0:00002AA8", "D", "0100");
    DebugLines debug;
    ASSERT_EQ(ReadHidrawClass(tree.Roots()).size(), 1u);
    EXPECT_THAT(debug.lines, ElementsAre("skipped hidraw1a: malformed name",
                                         "skipped hidraw1: attributes missing (HID_ID \"garbage\")",
                                         "skipped hidraw2: half gone (no HID device)",
                                         "skipped hidraw3: half gone (no device number)"));
}

TEST(SysfsHidraw, SaysNothingWithoutADebugSink) {
    SysfsTree tree;
    tree.AddUsb("hidraw1", "0003:16C0:2AA8.0002", "garbage", "B", "0100");
    std::vector<std::string> lines;
    SetDebugSink([&](const std::string& line) { lines.push_back(line); });
    SetDebugSink({});
    EXPECT_TRUE(ReadHidrawClass(tree.Roots()).empty());
    EXPECT_TRUE(lines.empty());
}

struct HotplugChoiceCase {
    const char* name;
    bool hidrawClass;
    bool udevdRunning;
};

class HotplugChoice : public ::testing::TestWithParam<HotplugChoiceCase> {};

// What libudev does here depends on the machine; why the monitor was considered at all does not.
TEST_P(HotplugChoice, SaysWhichSourceItChoseAndWhy) {
    SysfsTree tree;
    if (!GetParam().hidrawClass)
        fs::remove(tree.Root() / "sys" / "class" / "hidraw");
    const fs::path control = tree.Root() / "run-udev" / "control";
    if (GetParam().udevdRunning) {
        fs::create_directories(control.parent_path());
        std::ofstream(control) << "";
    }
    DebugLines debug;
    LinuxHidPlatform platform(LinuxHidPaths{tree.Roots(), control.parent_path()});
    if (!GetParam().hidrawClass) {
        EXPECT_THAT(debug.lines, ElementsAre("no hidraw class in " + (tree.Root() / "sys").string() +
                                             ": no devices, no hot-plug source"));
        return;
    }
    ASSERT_GE(debug.lines.size(), 2u);
    EXPECT_EQ(debug.lines.front(), GetParam().udevdRunning ? "udevd running: " + control.string() + " exists"
                                                           : "udevd not running: no " + control.string());
    if (GetParam().udevdRunning) {
        EXPECT_THAT(debug.lines[1], AnyOf(Eq("libudev bound"), StartsWith("libudev not bound: ")));
        EXPECT_THAT(debug.lines.back(), StartsWith("hotplug source: "));
    } else {
        EXPECT_EQ(debug.lines.size(), 2u);
        EXPECT_THAT(debug.lines.back(), AnyOf(Eq("hotplug source: kernel uevents"),
                                              StartsWith("hotplug source: none (kernel uevent socket: ")));
    }
}

INSTANTIATE_TEST_SUITE_P(LinuxHidPlatform, HotplugChoice,
                         ::testing::Values(HotplugChoiceCase{"NoHidrawClass", false, false},
                                           HotplugChoiceCase{"UdevdNotRunning", true, false},
                                           HotplugChoiceCase{"UdevdRunning", true, true}),
                         [](const auto& paramInfo) { return paramInfo.param.name; });

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

// Runs `work` in a child process that permission checks apply to (root's are bypassed: it becomes nobody)
// and returns what it reported, or "skip: REASON" where that cannot be arranged.
std::string RunUnprivileged(const std::function<std::string()>& work) {
    int fds[2];
    if (pipe(fds) != 0)
        return "skip: no pipe";
    pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        std::string report;
        if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0))
            report = std::string("skip: cannot become nobody: ") + std::strerror(errno);
        else
            report = work();
        [[maybe_unused]] ssize_t written = write(fds[1], report.data(), report.size());
        _exit(0);
    }
    close(fds[1]);
    std::string report;
    char buffer[256];
    for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;)
        report.append(buffer, static_cast<std::size_t>(n));
    close(fds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return report;
}

struct UnopenableNodeCase {
    const char* name;
    bool nodeExists; // a node file nobody may open, else no node at all
    int error;
};

class NodeThatCannotBeOpened : public ::testing::TestWithParam<UnopenableNodeCase> {};

// The programmer is listed all the same, with the system's reason why it cannot be opened for reading and
// writing; its transfers fail.
TEST_P(NodeThatCannotBeOpened, IsListedWithTheReasonAndWithoutReadWriteAccess) {
    SysfsTree tree;
    tree.AddUsb("hidraw0", "0003:16C0:2AA8.0001", "0003:000016C0:00002AA8", "PM0000000001", "0100");
    fs::permissions(tree.Root(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                     fs::perms::others_read | fs::perms::others_exec);
    if (GetParam().nodeExists) {
        std::ofstream(tree.Root() / "dev" / "hidraw0").put('\0');
        fs::permissions(tree.Root() / "dev" / "hidraw0", fs::perms::none);
    }

    std::string report = RunUnprivileged([&] {
        auto platform =
            std::make_shared<LinuxHidPlatform>(LinuxHidPaths{tree.Roots(), tree.Root() / "run-udev"});
        if (!platform->Loaded())
            return std::string("not loaded");
        std::string seen;
        THidDeviceController controller(platform);
        controller.SetOnEnumerate(THidEnumerateEvent([&](THidDevice& device, int) {
            std::uint8_t feature[8] = {3};
            const bool transferred = device.GetFeature(feature, sizeof feature);
            seen += device.SerialNumber() + " read-write " + (device.ReadWriteAccess() ? "yes" : "no") +
                    " error " + std::to_string(device.ReadWriteError()) + " transfer " +
                    (transferred ? "yes" : "no") + "\n";
            return true;
        }));
        try {
            controller.DeviceChange();
        } catch (const std::exception& error) {
            return std::string("scan failed: ") + error.what();
        }
        controller.EnumerateDevices();
        return seen;
    });
    if (report.rfind("skip:", 0) == 0)
        GTEST_SKIP() << report;
    EXPECT_EQ(report,
              "PM0000000001 read-write no error " + std::to_string(GetParam().error) + " transfer no\n");
}

INSTANTIATE_TEST_SUITE_P(LinuxHidPlatform, NodeThatCannotBeOpened,
                         ::testing::Values(UnopenableNodeCase{"NoPermission", true, EACCES},
                                           UnopenableNodeCase{"NoNode", false, ENOENT}),
                         [](const auto& paramInfo) { return paramInfo.param.name; });

struct ReplugCase {
    const char* name;
    std::function<void(SysfsTree&, LinuxHidPlatform&)> change;
    bool same;                // the node is still the interface collected first
    bool queryAnswers = true; // false once a later collection no longer found it
};

class NodeOpenedAgain : public ::testing::TestWithParam<ReplugCase> {};

// A device object opens its node again by path, and the kernel reuses node numbers: what answers there
// now must be the interface the object was made for, else it counts as gone and nothing reaches it.
TEST_P(NodeOpenedAgain, ReachesOnlyTheInterfaceItWasMadeFor) {
    SysfsTree tree;
    tree.AddUsb("hidraw0", "0003:16C0:2AA8.0001", "0003:000016C0:00002AA8", "PM0000000001", "0100");
    tree.Link("hidraw0", "/dev/null");
    auto platform = std::make_shared<LinuxHidPlatform>(LinuxHidPaths{tree.Roots(), tree.Root() / "run-udev"});
    std::vector<THidPnPInfo> collected = platform->CollectInterfaces();
    ASSERT_EQ(collected.size(), 1u);
    const THidPnPInfo first = collected[0];

    GetParam().change(tree, *platform);
    errno = 0;
    std::unique_ptr<HidHandle> readWrite = platform->Open(first, HidAccess::ReadWrite);
    EXPECT_EQ(readWrite != nullptr, GetParam().same);
    if (!GetParam().same) {
        EXPECT_EQ(errno, ENODEV);
    }

    // A query answers with what was collected; a transfer through it reaches no node at all.
    std::unique_ptr<HidHandle> query = platform->Open(first, HidAccess::QueryOnly);
    ASSERT_EQ(query != nullptr, GetParam().queryAnswers);
    if (!query)
        return;
    HidAttributes attributes;
    ASSERT_TRUE(query->GetAttributes(attributes));
    EXPECT_EQ(attributes.ProductID, 0x2AA8);
    std::uint8_t report[8] = {3};
    EXPECT_FALSE(query->SetFeature(report, sizeof report));
    EXPECT_EQ(errno, GetParam().same ? ENOTTY : EBADF) << "ENOTTY: the ioctl reached /dev/null";
}

void PlugAnotherAtHidraw0(SysfsTree& tree) {
    tree.Unplug("hidraw0");
    tree.AddUsb("hidraw0", "0003:16C0:2AA8.0002", "0003:000016C0:00002AA8", "PM0000000002", "0100");
    tree.Link("hidraw0", "/dev/null");
}

INSTANTIATE_TEST_SUITE_P(
    LinuxHidPlatform, NodeOpenedAgain,
    ::testing::Values(
        ReplugCase{"Unchanged", [](SysfsTree&, LinuxHidPlatform&) {}, true},
        ReplugCase{"NodeNowAnotherCharacterDevice",
                   [](SysfsTree& tree, LinuxHidPlatform&) { tree.Repoint("hidraw0", "/dev/zero"); }, false},
        ReplugCase{"Unplugged", [](SysfsTree& tree, LinuxHidPlatform&) { tree.Unplug("hidraw0"); }, false},
        ReplugCase{"AnotherDeviceUnderTheSameNumber",
                   [](SysfsTree& tree, LinuxHidPlatform&) { PlugAnotherAtHidraw0(tree); }, false},
        ReplugCase{"AnotherDeviceUnderTheSameNumberCollected",
                   [](SysfsTree& tree, LinuxHidPlatform& platform) {
                       PlugAnotherAtHidraw0(tree);
                       ASSERT_EQ(platform.CollectInterfaces().size(), 1u);
                   },
                   false, false}),
    [](const auto& paramInfo) { return paramInfo.param.name; });

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
        handle_ = std::make_unique<HidrawHandle>(UniqueFd(fds_[0]), interface);
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
                         [](const auto& paramInfo) { return paramInfo.param ? "Numbered" : "Unnumbered"; });

} // namespace
} // namespace miran::hid::linux_backend
