#pragma once

#include "QtPlacementWindow.h"
#include "hid/HidDeviceController.h"
#include "settings/AppIniFileStorage.h"
#include "settings/FormPlacement.h"
#include "update/UpdateEngine.h"

#include <QWidget>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSocketNotifier;

namespace miran::widgets {
class TGradientProgress;
class TLED;
class TMarkupLabel;
class TStatusBar;
} // namespace miran::widgets

namespace miran::app {

class TDebug;

// What the main window takes from the process; tests replace the platform and the waits.
struct MainEnvironment {
    std::shared_ptr<hid::HidPlatform> platform;
    std::vector<std::string> arguments; // command-line arguments, program name excluded
    std::filesystem::path executable;
    std::function<bool()> builderWindowExists;
    std::function<void(std::chrono::milliseconds)> sleep;
    // The platform's executable suffix for the release copy.
    std::string executableSuffix;
};

// The main window: the carried Bios, the attached programmers, START UPDATE and EXIT.
class TMain : public QWidget, private update::UpdateObserver {
    Q_OBJECT
public:
    explicit TMain(MainEnvironment environment, QWidget* parent = nullptr);
    ~TMain() override;

    void SetDebugWindow(TDebug* debug) { debug_ = debug; }

    // Controls, named as in the window's layout.
    QGroupBox* GroupBox1;
    QLabel* Label1;
    QLabel* LabBiosVersion;
    QLabel* Label2;
    QLabel* LabBiosInfo;
    QGroupBox* GrpBox;
    QLabel* Label5;
    QComboBox* cbDevices;
    widgets::TLED* Led;
    QLabel* Label4;
    QLabel* LabSDBios;
    QLabel* Label3;
    QLineEdit* edUsbSerial;
    widgets::TMarkupLabel* MarkupLabel1;
    QFrame* Panel1;
    QPushButton* ButStart;
    QPushButton* ButExit;
    widgets::TStatusBar* sBar;
    widgets::TGradientProgress* pBar;

    settings::TAppIniFileStorage IniFile;
    hid::THidDeviceController& HidCtrl() { return *hidCtrl_; }
    update::UpdateEngine& Engine() { return *engine_; }

    const std::string& RememberedDevice() const { return rememberedDevice_; }
    hid::THidDevice* CurrentDevice() const { return engine_->Channel().CurrentDevice(); }
    bool Busy() const { return busy_; }

    void ButStartClick();
    void ButExitClick();
    QString StatusText() const;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateControls();
    void FormCreate();
    void FormShow();
    void FormClose();
    void ReleaseCopy();

    void HidCtrlDeviceChange();
    bool HidCtrlEnumerate(hid::THidDevice& device, int index);
    void cbDevicesChange();
    // An entry picked by hand is identified at once, so that START acts on the entry shown.
    void cbDevicesSelect();
    void ResetDisplay();
    void ShowNoAccess(const hid::THidDevice& device);
    void OnNotification();
    // Runs what was held back while the window was busy.
    void EndBusy();

    // The engine's view of the window.
    void SetStatusText(const std::string& text) override;
    void SetProgressMax(int maximum) override;
    void SetProgressPosition(int position) override;
    void ProcessMessages() override;
    void Beep() override;
    void Sleep(std::chrono::milliseconds duration) override;
    bool CtrlHeld() override;
    std::string UsbSerialText() override;

    MainEnvironment env_;
    TDebug* debug_ = nullptr;
    update::FirmwareImage image_;
    std::unique_ptr<update::UpdateEngine> engine_;
    std::unique_ptr<hid::THidDeviceController> hidCtrl_;
    QSocketNotifier* notifier_ = nullptr;
    QtPlacementWindow placementWindow_;
    std::unique_ptr<settings::TFormStorage> FormStorage1;

    std::string rememberedDevice_;
    bool firstSelectionPending_ = true;
    QString savedSelection_;
    std::vector<hid::THidDevice*> listedDevices_;
    int selectIndex_ = -1;

    // The programmer that restarts after an upload's closing command: its entry text and the instance it had.
    struct Restarting {
        QString text;
        std::string instance;
    };
    std::optional<Restarting> restarting_;
    // The status panel holds an upload's final message, which a rebuild leaves in place.
    bool outcomeShown_ = false;

    bool busy_ = false;
    bool rebuildPending_ = false;
    bool closePending_ = false;
};

} // namespace miran::app
