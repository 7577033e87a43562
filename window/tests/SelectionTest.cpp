// What the window shows is what START acts on: a hand-picked entry, an upload's outcome across the rebuilds
// that follow it, the serial digits as shown, a programmer the user may not open.

#include "FakeMainView.h"
#include "WindowTestSupport.h"
#include "hid/VirtualHidPlatform.h"
#include "sim/SimulatedBus.h"
#include "sim/SimulationFile.h"
#include "update/ProgrammerAccess.h"
#include "update/Protocol.h"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace miran;
using window::testing::FakeMainView;
using window::testing::LedColor;

namespace {

const char* const kKeyboard = "KBD";

class SelectionTest : public window::testing::WindowTest {
protected:
    // The user moves the list's selection one entry down with the keyboard.
    void PickNextByHand() {
        view_->PickNext();
        Settle();
    }

    int IdentifyWaits() const { return static_cast<int>(std::count(sleeps_.begin(), sleeps_.end(), 200)); }
};

// The serial text a programmer's installed Bios carries, or that an upload wrote into it.
std::string SerialField(const std::vector<std::uint8_t>& bios) {
    const char* field = reinterpret_cast<const char*>(bios.data() + update::header::SerialText.offset);
    return std::string(field, strnlen(field, update::header::SerialText.width));
}

TEST_F(SelectionTest, HandPickedEntryIsIdentifiedAndWritten) {
    auto first = Plug(0);
    auto second = Plug(1);
    FakeMainView& main = Start();
    ASSERT_EQ(Behaviour().CurrentDevice()->SerialNumber(), "PM0000000001");

    PickNextByHand();
    EXPECT_EQ(main.cbDevices.CurrentText(), "PM0000000002");
    EXPECT_EQ(Behaviour().CurrentDevice()->SerialNumber(), "PM0000000002");
    EXPECT_EQ(IdentifyWaits(), 2);
    EXPECT_EQ(main.Led.ColorOn(), LedColor::Lime);
    EXPECT_TRUE(main.startEnabled);
    EXPECT_EQ(Behaviour().RememberedDevice(), "PM0000000002");

    const int firstTransfers = first->TransferCount();
    main.ClickStart();
    EXPECT_EQ(main.StatusText(), "OK");
    EXPECT_EQ(second->RebootCount(), 1);
    EXPECT_EQ(first->RebootCount(), 0);
    EXPECT_EQ(first->TransferCount(), firstTransfers);

    // The rebuild after the reboot keeps the picked entry.
    Settle();
    EXPECT_EQ(main.cbDevices.CurrentText(), "PM0000000002");
    EXPECT_EQ(main.LabSDBios.Text(), "v1.9.0");
}

struct OutcomeCase {
    const char* name;
    int eraseStatus;        // answered to the erase command (0: the upload succeeds)
    bool unplugDuringWrite; // else a keyboard is plugged while the blocks are written
    const char* status;     // once the rebuilds after the upload have run
    const char* deviceBios; // the Bios the list shows then ("---": no programmer left)
};

void PrintTo(const OutcomeCase& c, std::ostream* os) {
    *os << c.name;
}

class UploadOutcome : public SelectionTest, public ::testing::WithParamInterface<OutcomeCase> {};

// The rebuild held back during the upload, and the one after the programmer's restart, leave the upload's
// final message in place; the restarting programmer is not asked before it is back.
TEST_P(UploadOutcome, StaysAfterTheRebuilds) {
    sim::ProgrammerConfig config = sim::DefaultProgrammer(0);
    if (GetParam().eraseStatus)
        config.status[update::cmdErase] = static_cast<std::uint16_t>(GetParam().eraseStatus);
    auto programmer = bus_.PlugProgrammer(config);
    FakeMainView& main = Start();
    bool changed = false;
    onSleep_ = [&](int duration) {
        if (duration != 25 || changed)
            return;
        changed = true;
        if (GetParam().unplugDuringWrite)
            bus_.Unplug(*programmer);
        else
            bus_.PlugOtherDevice(0x046D, 0xC31C, kKeyboard);
    };
    main.ClickStart();
    onSleep_ = nullptr;
    EXPECT_EQ(main.StatusText(), GetParam().status) << "right after the held-back rebuild";
    Settle();
    EXPECT_EQ(main.StatusText(), GetParam().status);
    EXPECT_EQ(main.LabSDBios.Text(), GetParam().deviceBios);
}

INSTANTIATE_TEST_SUITE_P(
    Uploads, UploadOutcome,
    ::testing::Values(OutcomeCase{"Success", 0, false, "OK", "v1.9.0"},
                      OutcomeCase{"Failure", 1, false, "Biosflash Erase Error", "v1.8.2"},
                      OutcomeCase{"UnplugMidUpload", 0, true, "Bios upload Error", "---"}),
    [](const auto& paramInfo) { return paramInfo.param.name; });

TEST_F(SelectionTest, RestartingProgrammerIsIdentifiedOnceItIsBack) {
    auto programmer = Plug(0);
    FakeMainView& main = Start();
    programmer->onReboot = [] {}; // still on the bus under its old instance
    main.ClickStart();
    const int transfers = programmer->TransferCount();

    bus_.PlugOtherDevice(0x046D, 0xC31C, kKeyboard);
    Settle();
    EXPECT_EQ(main.StatusText(), "OK");
    EXPECT_EQ(main.cbDevices.CurrentText(), "PM0000000001");
    EXPECT_FALSE(main.Led.Status());
    EXPECT_FALSE(main.startEnabled);
    EXPECT_EQ(programmer->TransferCount(), transfers) << "asked while restarting";

    bus_.Unplug(*programmer);
    bus_.Replug(*programmer);
    Settle();
    EXPECT_EQ(main.StatusText(), "OK");
    EXPECT_EQ(main.LabSDBios.Text(), "v1.9.0");
    EXPECT_EQ(main.Led.ColorOn(), LedColor::Lime);
    EXPECT_TRUE(main.startEnabled);
}

// The upload takes the leading digits of the field as it shows them, blanks included.
TEST_F(SelectionTest, SerialDigitsAsShown) {
    struct Case {
        const char* carried; // the serial text of the installed Bios, which identification puts in the field
        const char* typed;   // then typed over it (nullptr: left as identified)
        const char* shown;
        const char* written;
    } cases[] = {
        {"4711 00000001", nullptr, "4711_00000001__", "4711"},
        {"4711000000001", "12_456", "12_456_________", "12"},
        {"4711000000001", "1234567890123", "1234567890123__", "1234567890123"},
        {"4711000000001", "", "_______________", ""},
    };
    for (const Case& c : cases) {
        sim::ProgrammerConfig config = sim::DefaultProgrammer(0);
        std::fill(config.bios.begin() + update::header::SerialText.offset, config.bios.end(), 0);
        std::copy_n(c.carried, std::strlen(c.carried),
                    config.bios.begin() + update::header::SerialText.offset);
        auto programmer = bus_.PlugProgrammer(config);
        FakeMainView& main = Start();
        if (c.typed)
            main.edUsbSerial.setText(c.typed);
        EXPECT_EQ(main.edUsbSerial.DisplayText(), c.shown) << c.carried;
        main.ClickStart();
        EXPECT_EQ(SerialField(programmer->InstalledBios()), c.written) << c.shown;
        Stop();
        bus_.Unplug(*programmer);
    }
}

// What gives access is the system's: the udev rule on Linux, the other programs and the account on Windows.
#ifdef _WIN32
constexpr const char* kNoAccessStatus = "No access: another program holds it";
const std::vector<std::string> kNoAccessAdvice = {
    "Close the other programs that use the programmer, or run from an account that may use it"};
#else
constexpr const char* kNoAccessStatus = "No access: install the udev rule";
const std::vector<std::string> kNoAccessAdvice = {update::kInstallRuleCommand, update::kApplyRuleCommand};
#endif

TEST_F(SelectionTest, ProgrammerTheUserMayNotOpen) {
    sim::ProgrammerConfig config = sim::DefaultProgrammer(0);
    config.noPermission = true;
    auto programmer = bus_.PlugProgrammer(config);
    FakeMainView& main = Start();
    EXPECT_EQ(main.StatusText(), kNoAccessStatus);
    const std::string tip = main.sBar.ToolTip();
    EXPECT_TRUE(tip.starts_with("Programmer virtual:hidraw0 cannot be opened for reading and writing.\n"))
        << tip;
    for (const std::string& advice : kNoAccessAdvice)
        EXPECT_NE(tip.find(advice), std::string::npos) << tip;
    EXPECT_FALSE(main.startEnabled);
    EXPECT_EQ(main.LabSDBios.Text(), "---");
    EXPECT_EQ(programmer->TransferCount(), 0) << "a node the user may not open moves no report";
}

// The list entry, the selection kept across a rebuild and the remembered device agree on a serial that is
// not plain ASCII.
TEST_F(SelectionTest, SerialTextConvertedOnceForListAndRememberedDevice) {
    const std::string serial = "PM-\xc3\xa9-0002";
    WriteIni("[CONFIG]\r\nDEVICE=" + serial + "\r\n\r\n");
    Plug(0);
    sim::ProgrammerConfig config = sim::DefaultProgrammer(1);
    config.serial = serial;
    bus_.PlugProgrammer(config);
    FakeMainView& main = Start();
    EXPECT_EQ(main.cbDevices.CurrentText(), "PM-\u00e9-0002");
    EXPECT_EQ(Behaviour().CurrentDevice()->SerialNumber(), serial);

    bus_.PlugOtherDevice(0x046D, 0xC31C, kKeyboard);
    Settle();
    EXPECT_EQ(Behaviour().CurrentDevice()->SerialNumber(), serial);
    EXPECT_EQ(Behaviour().RememberedDevice(), serial);
}

} // namespace
