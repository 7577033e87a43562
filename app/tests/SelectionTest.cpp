// What the Qt window shows is what START acts on: an entry picked with the keyboard, the serial digits as the
// masked field shows them, a programmer the user may not open, a serial that is not plain ASCII. The rules
// behind them are covered in window/tests.

#include "SerialField.h"
#include "TMain.h"
#include "WindowTestSupport.h"
#include "hid/VirtualHidPlatform.h"
#include "sim/SimulatedBus.h"
#include "sim/SimulationFile.h"
#include "update/ProgrammerAccess.h"
#include "widgets/LED.h"
#include "widgets/StatusBar.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

using namespace miran;
using app::TMain;

namespace {

const char* const kKeyboard = "KBD";

class SelectionTest : public app::testing::WindowTest {
protected:
    // The user moves the list's selection one entry down with the keyboard.
    void PickNextByHand() {
        QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
        QApplication::sendEvent(main_->cbDevices, &down);
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
    TMain& main = Start();
    ASSERT_EQ(main.CurrentDevice()->SerialNumber(), "PM0000000001");

    PickNextByHand();
    EXPECT_EQ(main.cbDevices->currentText(), "PM0000000002");
    EXPECT_EQ(main.CurrentDevice()->SerialNumber(), "PM0000000002");
    EXPECT_EQ(IdentifyWaits(), 2);
    EXPECT_EQ(main.Led->ColorOn(), widgets::clLime);
    EXPECT_TRUE(main.ButStart->isEnabled());
    EXPECT_EQ(main.RememberedDevice(), "PM0000000002");

    const int firstTransfers = first->TransferCount();
    main.ButStart->click();
    EXPECT_EQ(main.StatusText(), "OK");
    EXPECT_EQ(second->RebootCount(), 1);
    EXPECT_EQ(first->RebootCount(), 0);
    EXPECT_EQ(first->TransferCount(), firstTransfers);

    // The rebuild after the reboot keeps the picked entry.
    Settle();
    EXPECT_EQ(main.cbDevices->currentText(), "PM0000000002");
    EXPECT_EQ(main.LabSDBios->text(), "v1.9.0");
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
        TMain& main = Start();
        if (c.typed)
            main.edUsbSerial->SetMaskedText(c.typed);
        EXPECT_EQ(main.edUsbSerial->displayText(), c.shown) << c.carried;
        main.ButStart->click();
        EXPECT_EQ(SerialField(programmer->InstalledBios()), c.written) << c.shown;
        main_.reset();
        bus_.Unplug(*programmer);
    }
}

TEST_F(SelectionTest, ProgrammerTheUserMayNotOpen) {
    sim::ProgrammerConfig config = sim::DefaultProgrammer(0);
    config.noPermission = true;
    auto programmer = bus_.PlugProgrammer(config);
    TMain& main = Start();
    EXPECT_EQ(main.StatusText(), "No access: install the udev rule");
    const QString tip = main.sBar->toolTip();
    EXPECT_TRUE(tip.startsWith("Programmer virtual:hidraw0 cannot be opened for reading and writing.\n"))
        << tip.toStdString();
    EXPECT_TRUE(tip.contains(update::kInstallRuleCommand)) << tip.toStdString();
    EXPECT_TRUE(tip.contains(update::kApplyRuleCommand)) << tip.toStdString();
    EXPECT_FALSE(main.ButStart->isEnabled());
    EXPECT_EQ(main.LabSDBios->text(), "---");
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
    TMain& main = Start();
    EXPECT_EQ(main.cbDevices->currentText(), QString::fromUtf8("PM-\u00e9-0002"));
    EXPECT_EQ(main.CurrentDevice()->SerialNumber(), serial);

    bus_.PlugOtherDevice(0x046D, 0xC31C, kKeyboard);
    Settle();
    EXPECT_EQ(main.CurrentDevice()->SerialNumber(), serial);
    EXPECT_EQ(main.RememberedDevice(), serial);
}

} // namespace
