#include "FakeMainView.h"
#include "WindowTestSupport.h"
#include "hid/VirtualHidPlatform.h"
#include "sim/SimulatedBus.h"
#include "sim/SimulationFile.h"
#include "update/Protocol.h"
#include "window/DebugWindow.h"
#include "window/ReleaseCopy.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

using namespace miran;
using window::testing::FakeMainView;
using window::testing::LedColor;
using EntryTexts = std::vector<std::string>;

namespace {

namespace fs = std::filesystem;

class MainWindowTest : public window::testing::WindowTest {};

TEST_F(MainWindowTest, StartWithoutDevice) {
    WriteIni("[CONFIG]\r\nDEVICE=PM0000000007\r\n\r\n");
    FakeMainView& main = Start();
    EXPECT_EQ(main.title, "MIRAN POLY-MCU Bios-Update v1.9.0");
    EXPECT_EQ(main.LabBiosVersion.Text(), "v1.9.0");
    EXPECT_EQ(main.LabBiosInfo.Text(), "MIRAN-ISP v1.9.0");
    EXPECT_EQ(main.LabSDBios.Text(), "---");
    EXPECT_EQ(main.cbDevices.Count(), 0);
    EXPECT_FALSE(main.startEnabled);
    EXPECT_FALSE(main.Led.Status());
    EXPECT_EQ(main.StatusText(), "");
    EXPECT_EQ(Behaviour().RememberedDevice(), "PM0000000007");
    EXPECT_EQ(Behaviour().CurrentDevice(), nullptr);

    // A programmer plugged later is not matched against the remembered one, but it is identified.
    Plug(0);
    Settle();
    EXPECT_EQ(Entries(), EntryTexts{"PM0000000001"});
    EXPECT_EQ(main.LabSDBios.Text(), "v1.8.2");
    EXPECT_EQ(Behaviour().RememberedDevice(), "PM0000000001");
}

std::string ReadFixture(const std::string& name) {
    std::ifstream in(fs::path(MIRAN_WINDOW_FIXTURES) / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The run the Win32 window goes through under Wine (winapp/tests/flow) leaves these bytes there too; the
// placement is what the window reports there.
TEST_F(MainWindowTest, IniAfterUploadingToTheRememberedProgrammer) {
    WriteIni(ReadFixture("two-programmers.seed.ini"));
    Plug(0);
    Plug(1);
    FakeMainView& main = Start();
    settings::testing::FakePlacementWindow& window = *placement_;
    window.desktop = {1024, 768};
    window.monitors = {{0, 0, 1024, 768}};
    window.placement.MinPosition = {-1, -1};
    window.placement.MaxPosition = {-1, -1};
    window.placement.NormalPosition = {334, 259, 689, 508};
    main.ClickStart();
    Settle();
    EXPECT_EQ(main.StatusText(), "OK");
    EXPECT_EQ(main.cbDevices.CurrentText(), "PM0000000002");
    EXPECT_EQ(main.LabSDBios.Text(), "v1.9.0");
    main.Close();
    Stop();
    EXPECT_EQ(ReadIni(), ReadFixture("two-programmers-after-upload.ini"));
}

TEST_F(MainWindowTest, RememberedSecondDeviceIsSelectedAndIdentified) {
    WriteIni("[CONFIG]\r\nDEVICE=PM0000000002\r\n\r\n");
    Plug(0);
    Plug(1);
    FakeMainView& main = Start();
    EXPECT_EQ(Entries(), (EntryTexts{"PM0000000001", "PM0000000002"}));
    EXPECT_EQ(main.cbDevices.CurrentText(), "PM0000000002");
    EXPECT_EQ(main.LabSDBios.Text(), "v1.8.2");
    EXPECT_EQ(main.edUsbSerial.Text(), "4711000000001");
    EXPECT_TRUE(main.Led.Status());
    EXPECT_EQ(main.Led.ColorOn(), LedColor::Lime);
    EXPECT_TRUE(main.startEnabled);
    EXPECT_EQ(Behaviour().CurrentDevice()->SerialNumber(), "PM0000000002");
    EXPECT_EQ(std::count(sleeps_.begin(), sleeps_.end(), 200), 1);

    // A keyboard arriving rebuilds the list; the selection stays and is identified again.
    bus_.PlugOtherDevice(0x046D, 0xC31C, "KBD");
    Settle();
    EXPECT_EQ(Entries(), (EntryTexts{"PM0000000001", "PM0000000002"}));
    EXPECT_EQ(main.cbDevices.CurrentText(), "PM0000000002");
    EXPECT_EQ(main.LabSDBios.Text(), "v1.8.2");
    EXPECT_EQ(std::count(sleeps_.begin(), sleeps_.end(), 200), 2);
}

TEST_F(MainWindowTest, UnpluggingTheIdentifiedDevice) {
    auto first = Plug(0);
    auto second = Plug(1);
    FakeMainView& main = Start();
    ASSERT_EQ(main.cbDevices.CurrentText(), "PM0000000001");

    bus_.Unplug(*first);
    Settle();
    EXPECT_EQ(Entries(), EntryTexts{"PM0000000002"});
    EXPECT_EQ(main.cbDevices.CurrentText(), "PM0000000002");
    EXPECT_EQ(main.LabSDBios.Text(), "v1.8.2");
    EXPECT_TRUE(main.startEnabled);

    bus_.Unplug(*second);
    Settle();
    EXPECT_EQ(main.cbDevices.Count(), 0);
    EXPECT_FALSE(main.startEnabled);
    EXPECT_FALSE(main.Led.Status());
    EXPECT_EQ(main.StatusText(), "");
    EXPECT_EQ(main.LabSDBios.Text(), "---");
    EXPECT_EQ(Behaviour().CurrentDevice(), nullptr);
}

TEST_F(MainWindowTest, FailedIdentificationMessages) {
    struct Case {
        std::function<void(sim::ProgrammerConfig&)> change;
        std::string status;
    } cases[] = {
        {[](sim::ProgrammerConfig& c) { c.failTransfer = 2; }, "Wrong Data"},
        {[](sim::ProgrammerConfig& c) { c.info[3] = '4'; }, "Wrong Info: MN04"},
        {[](sim::ProgrammerConfig& c) { c.info[35] = 1; }, "Setup Tool v1.1x or newer required!"},
    };
    for (const Case& c : cases) {
        sim::ProgrammerConfig config = sim::DefaultProgrammer(0);
        c.change(config);
        auto programmer = bus_.PlugProgrammer(config);
        FakeMainView& main = Start();
        EXPECT_EQ(main.StatusText(), c.status);
        EXPECT_TRUE(main.Led.Status());
        EXPECT_EQ(main.Led.ColorOn(), LedColor::Yellow);
        EXPECT_FALSE(main.startEnabled);
        EXPECT_EQ(main.LabSDBios.Text(), "---");
        Stop();
        bus_.Unplug(*programmer);
    }
}

// A selection the program makes (not a pick by the user) identifies nothing; the next rebuild keeps it.
TEST_F(MainWindowTest, SelectionMadeByTheProgramIsKeptByTheNextRebuild) {
    Plug(0);
    Plug(1);
    FakeMainView& main = Start();
    ASSERT_EQ(Behaviour().CurrentDevice()->SerialNumber(), "PM0000000001");
    main.cbDevices.setCurrentIndex(1);
    Settle();
    EXPECT_EQ(Behaviour().CurrentDevice()->SerialNumber(), "PM0000000001");

    bus_.PlugOtherDevice(0x046D, 0xC31C, "KBD");
    Settle();
    EXPECT_EQ(main.cbDevices.CurrentText(), "PM0000000002");
    EXPECT_EQ(Behaviour().CurrentDevice()->SerialNumber(), "PM0000000002");
}

TEST_F(MainWindowTest, UpdateShowsProgressAndTheDeviceComesBackWithTheNewBios) {
    auto programmer = Plug(0);
    FakeMainView& main = Start();
    main.edUsbSerial.setText("1234567890123");
    std::vector<int> positions;
    std::vector<std::string> statuses;
    onSleep_ = [&](int) {
        positions.push_back(main.pBar.Position());
        statuses.push_back(main.StatusText());
    };
    sleeps_.clear();

    main.ClickStart();
    onSleep_ = nullptr;
    EXPECT_EQ(statuses.front(), "Writing Bios");
    EXPECT_EQ(statuses.back(), "OK"); // the wait after the last block
    EXPECT_EQ(main.StatusText(), "OK");
    EXPECT_TRUE(main.Led.Status());
    EXPECT_EQ(main.Led.ColorOn(), LedColor::Lime);
    EXPECT_EQ(positions.front(), 512);
    EXPECT_EQ(positions[16], 8348); // the last block's 8704, clamped to the maximum
    EXPECT_EQ(main.pBar.Maximum(), 8348);
    EXPECT_EQ(main.pBar.Position(), 0);
    EXPECT_EQ(std::count(sleeps_.begin(), sleeps_.end(), 25), 17);
    EXPECT_EQ(programmer->RebootCount(), 1);

    // The reboot is a device change: the list is rebuilt and the device identified again.
    Settle();
    EXPECT_EQ(main.LabSDBios.Text(), "v1.9.0");
    EXPECT_EQ(main.edUsbSerial.Text(), "1234567890123");
    EXPECT_EQ(main.Led.ColorOn(), LedColor::Lime);
}

TEST_F(MainWindowTest, UploadFailureIsShownAndProgressReset) {
    sim::ProgrammerConfig config = sim::DefaultProgrammer(0);
    config.status[update::cmdErase] = 1;
    bus_.PlugProgrammer(config);
    FakeMainView& main = Start();
    main.ClickStart();
    EXPECT_EQ(main.StatusText(), "Biosflash Erase Error");
    EXPECT_EQ(main.pBar.Position(), 0);
    EXPECT_TRUE(main.startEnabled);
}

TEST_F(MainWindowTest, DeviceChangeDuringUploadIsDeferredAndSecondClickIgnored) {
    auto programmer = Plug(0);
    FakeMainView& main = Start();
    int sleepsDuringUpload = 0;
    onSleep_ = [&](int) {
        if (++sleepsDuringUpload == 3) {
            bus_.PlugOtherDevice(0x046D, 0xC31C, "KBD");
            Plug(1);
            Behaviour().ButStartClick(); // a second click while the first runs
            main.Close();                // EXIT while it runs
        }
    };
    main.ClickStart();
    onSleep_ = nullptr;
    EXPECT_EQ(std::count(sleeps_.begin(), sleeps_.end(), 25), 17);
    EXPECT_EQ(programmer->RebootCount(), 1);
    EXPECT_FALSE(main.visible); // the close took effect once the upload had ended
}

TEST_F(MainWindowTest, IniFileAfterCloseAndPlacementOnNextStart) {
    Plug(0);
    Start();
    placement_->placement.NormalPosition = {40, 30, 640, 330};
    Settle();
    Behaviour().ButExitClick();
    std::string ini = ReadIni();
    EXPECT_NE(ini.find("[CONFIG]\r\nDEVICE=PM0000000001\r\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("[Main]\r\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("NormPos="), std::string::npos) << ini;
    Stop();

    Start();
    EXPECT_EQ(Behaviour().RememberedDevice(), "PM0000000001");
}

TEST(ReleaseCopy, Conditions) {
    auto yes = [] { return true; };
    auto no = [] { return false; };
    EXPECT_TRUE(window::ReleaseCopyRequested({"5246031"}, yes));
    EXPECT_FALSE(window::ReleaseCopyRequested({"5246031"}, no));
    EXPECT_FALSE(window::ReleaseCopyRequested({}, yes));
    EXPECT_FALSE(window::ReleaseCopyRequested({"5246031", "x"}, yes));
    EXPECT_FALSE(window::ReleaseCopyRequested({"5246032"}, yes));
    EXPECT_EQ(window::ReleaseCopyName("C:/tools/Tool.exe", "1.9.0", ".exe"), "Tool1.9.0.exe");
    EXPECT_EQ(window::ReleaseCopyName("/usr/bin/miran-isp-up", "1.9.0", ""), "miran-isp-up1.9.0");
}

TEST_F(MainWindowTest, ReleaseCopyShowsDebugAndCopiesIntoDist) {
    fs::path work = home_ / "work";
    fs::create_directories(work / "dist");
    fs::path exe = work / "miran-isp-up";
    std::ofstream(exe) << "binary";
    fs::path previous = fs::current_path();
    fs::current_path(work);

    builderWindow_ = true;
    window::MainEnvironment env{platform_, {"5246031"}, exe, [] { return true; }, [](auto) {}, ""};
    FakeMainView main;
    settings::testing::FakePlacementWindow placement;
    window::MainWindow behaviour(env, main, placement);
    main.SetBehaviour(&behaviour);
    placement.Show();
    EXPECT_TRUE(main.debugShown);
    EXPECT_TRUE(fs::exists(work / "dist" / "miran-isp-up1.9.0"));
    fs::current_path(previous);
}

// Nothing writes to the debug window; a double click clears it all the same.
TEST(DebugWindow, DoubleClickClearsTheLog) {
    struct Log : window::DebugView {
        int clears = 0;
        void ClearLines() override { ++clears; }
    } log;
    window::DebugWindow debug(log);
    debug.MemoDblClick();
    EXPECT_EQ(log.clears, 1);
}

} // namespace
