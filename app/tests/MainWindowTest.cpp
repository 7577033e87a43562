#include "GracefulExit.h"
#include "SerialField.h"
#include "TDebug.h"
#include "TMain.h"
#include "WindowTestSupport.h"
#include "hid/VirtualHidPlatform.h"
#include "sim/SimulatedBus.h"
#include "sim/SimulationFile.h"
#include "widgets/GradientProgress.h"
#include "widgets/LED.h"
#include "widgets/StatusBar.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

using namespace miran;
using app::TMain;

namespace {

namespace fs = std::filesystem;

// The Qt view over the window's behaviour (whose rules window/tests cover): its controls show what the
// behaviour decides, and the window's own events reach it.
class MainWindowTest : public app::testing::WindowTest {};

TEST_F(MainWindowTest, StartWithoutDevice) {
    WriteIni("[CONFIG]\r\nDEVICE=PM0000000007\r\n\r\n");
    TMain& main = Start();
    EXPECT_EQ(main.windowTitle(), "MIRAN POLY-MCU Bios-Update v1.9.0");
    EXPECT_EQ(main.LabBiosVersion->text(), "v1.9.0");
    EXPECT_EQ(main.LabBiosInfo->text(), "MIRAN-ISP v1.9.0");
    EXPECT_EQ(main.LabSDBios->text(), "---");
    EXPECT_EQ(main.cbDevices->count(), 0);
    EXPECT_FALSE(main.ButStart->isEnabled());
    EXPECT_FALSE(main.Led->Status());
    EXPECT_EQ(main.StatusText(), "");
    EXPECT_EQ(main.RememberedDevice(), "PM0000000007");
    EXPECT_EQ(main.CurrentDevice(), nullptr);

    // A programmer plugged later is not matched against the remembered one, but it is identified.
    Plug(0);
    Settle();
    EXPECT_EQ(Entries(), QStringList{"PM0000000001"});
    EXPECT_EQ(main.LabSDBios->text(), "v1.8.2");
    EXPECT_EQ(main.RememberedDevice(), "PM0000000001");
}

TEST_F(MainWindowTest, RememberedSecondDeviceIsSelectedAndIdentified) {
    WriteIni("[CONFIG]\r\nDEVICE=PM0000000002\r\n\r\n");
    Plug(0);
    Plug(1);
    TMain& main = Start();
    EXPECT_EQ(Entries(), (QStringList{"PM0000000001", "PM0000000002"}));
    EXPECT_EQ(main.cbDevices->currentText(), "PM0000000002");
    EXPECT_EQ(main.LabSDBios->text(), "v1.8.2");
    EXPECT_EQ(main.edUsbSerial->text(), "4711000000001__");
    EXPECT_TRUE(main.Led->Status());
    EXPECT_EQ(main.Led->ColorOn(), widgets::clLime);
    EXPECT_TRUE(main.ButStart->isEnabled());
    EXPECT_EQ(main.CurrentDevice()->SerialNumber(), "PM0000000002");
    EXPECT_EQ(std::count(sleeps_.begin(), sleeps_.end(), 200), 1);

    // A keyboard arriving rebuilds the list; the selection stays and is identified again.
    bus_.PlugOtherDevice(0x046D, 0xC31C, "KBD");
    Settle();
    EXPECT_EQ(Entries(), (QStringList{"PM0000000001", "PM0000000002"}));
    EXPECT_EQ(main.cbDevices->currentText(), "PM0000000002");
    EXPECT_EQ(main.LabSDBios->text(), "v1.8.2");
    EXPECT_EQ(std::count(sleeps_.begin(), sleeps_.end(), 200), 2);
}

// A selection the program makes (not a pick by the user) identifies nothing; the next rebuild keeps it.
// Keys edit the serial field through the serial mask: typing overwrites, erasing leaves a blank.
TEST_F(MainWindowTest, SerialFieldEditsThroughItsMask) {
    TMain& main = Start();
    app::SerialField& field = *main.edUsbSerial;
    const auto press = [&](int key, const QString& text = {}) {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(&field, &event);
    };
    EXPECT_EQ(field.text(), "_______________");
    press(Qt::Key_4, "4");
    press(Qt::Key_X, "x");
    press(Qt::Key_7, "7");
    EXPECT_EQ(field.text(), "47_____________");
    field.setCursorPosition(0);
    press(Qt::Key_1, "1");
    EXPECT_EQ(field.text(), "17_____________");
    press(Qt::Key_Backspace);
    EXPECT_EQ(field.text(), "_7_____________");
    field.setCursorPosition(1);
    press(Qt::Key_Delete);
    EXPECT_EQ(field.text(), "_______________");
    EXPECT_EQ(field.Shown(), "_______________");
}

TEST_F(MainWindowTest, SelectionMadeByTheProgramIsKeptByTheNextRebuild) {
    Plug(0);
    Plug(1);
    TMain& main = Start();
    ASSERT_EQ(main.CurrentDevice()->SerialNumber(), "PM0000000001");
    main.cbDevices->setCurrentIndex(1);
    Settle();
    EXPECT_EQ(main.CurrentDevice()->SerialNumber(), "PM0000000001");

    bus_.PlugOtherDevice(0x046D, 0xC31C, "KBD");
    Settle();
    EXPECT_EQ(main.cbDevices->currentText(), "PM0000000002");
    EXPECT_EQ(main.CurrentDevice()->SerialNumber(), "PM0000000002");
}

TEST_F(MainWindowTest, UpdateShowsProgressAndTheDeviceComesBackWithTheNewBios) {
    auto programmer = Plug(0);
    TMain& main = Start();
    main.edUsbSerial->SetMaskedText("1234567890123");
    std::vector<int> positions;
    std::vector<QString> statuses;
    onSleep_ = [&](int) {
        positions.push_back(main.pBar->Position());
        statuses.push_back(main.StatusText());
    };
    sleeps_.clear();

    main.ButStart->click();
    onSleep_ = nullptr;
    EXPECT_EQ(statuses.front(), "Writing Bios");
    EXPECT_EQ(statuses.back(), "OK"); // the wait after the last block
    EXPECT_EQ(main.StatusText(), "OK");
    EXPECT_TRUE(main.Led->Status());
    EXPECT_EQ(main.Led->ColorOn(), widgets::clLime);
    EXPECT_EQ(positions.front(), 512);
    EXPECT_EQ(positions[16], 8348); // the last block's 8704, clamped to the maximum
    EXPECT_EQ(main.pBar->Maximum(), 8348);
    EXPECT_EQ(main.pBar->Position(), 0);
    EXPECT_EQ(std::count(sleeps_.begin(), sleeps_.end(), 25), 17);
    EXPECT_EQ(programmer->RebootCount(), 1);

    // The reboot is a device change: the list is rebuilt and the device identified again.
    Settle();
    EXPECT_EQ(main.LabSDBios->text(), "v1.9.0");
    EXPECT_EQ(main.edUsbSerial->text(), "1234567890123__");
    EXPECT_EQ(main.Led->ColorOn(), widgets::clLime);
}

TEST_F(MainWindowTest, DeviceChangeDuringUploadIsDeferredAndSecondClickIgnored) {
    auto programmer = Plug(0);
    TMain& main = Start();
    int sleepsDuringUpload = 0;
    onSleep_ = [&](int) {
        if (++sleepsDuringUpload == 3) {
            bus_.PlugOtherDevice(0x046D, 0xC31C, "KBD");
            Plug(1);
            main.ButStartClick(); // a second click while the first runs
            main.close();         // EXIT while it runs
        }
    };
    main.ButStart->click();
    onSleep_ = nullptr;
    EXPECT_EQ(std::count(sleeps_.begin(), sleeps_.end(), 25), 17);
    EXPECT_EQ(programmer->RebootCount(), 1);
    EXPECT_FALSE(main.isVisible()); // the close took effect once the upload had ended
}

TEST_F(MainWindowTest, IniFileAfterCloseAndPlacementOnNextStart) {
    Plug(0);
    TMain& main = Start();
    main.move(40, 30);
    Settle();
    main.ButExitClick();
    std::string ini = ReadIni();
    EXPECT_NE(ini.find("[CONFIG]\r\nDEVICE=PM0000000001\r\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("[Main]\r\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("NormPos="), std::string::npos) << ini;
    main_.reset();

    TMain& again = Start();
    EXPECT_EQ(again.RememberedDevice(), "PM0000000001");
}

TEST_F(MainWindowTest, TerminationSignalClosesLikeTheCloseBox) {
    Plug(0);
    TMain& main = Start();
    app::CloseOnTerminationSignals(main);
    raise(SIGTERM);
    Settle();
    EXPECT_FALSE(main.isVisible());
    EXPECT_NE(ReadIni().find("DEVICE=PM0000000001"), std::string::npos);
}

TEST_F(MainWindowTest, ReleaseCopyShowsDebugAndCopiesIntoDist) {
    fs::path work = home_ / "work";
    fs::create_directories(work / "dist");
    fs::path exe = work / "miran-isp-up";
    std::ofstream(exe) << "binary";
    fs::path previous = fs::current_path();
    fs::current_path(work);

    builderWindow_ = true;
    app::TDebug debug;
    app::MainEnvironment env{platform_, {"5246031"}, exe, [] { return true; }, [](auto) {}, ""};
    TMain main(env);
    main.SetDebugWindow(&debug);
    main.show();
    EXPECT_TRUE(debug.isVisible());
    EXPECT_TRUE(fs::exists(work / "dist" / "miran-isp-up1.9.0"));
    fs::current_path(previous);
}

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
