#pragma once

#include "hid/HidDeviceController.h"
#include "settings/AppIniFileStorage.h"
#include "settings/FormPlacement.h"
#include "update/UpdateEngine.h"
#include "window/MainEnvironment.h"
#include "window/MainView.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace miran::window {

// The main window's behaviour, whatever draws it: the carried Bios, the attached programmers, START UPDATE
// and EXIT. It owns the image, the engine, the HID controller and the settings; a front end creates the
// controls, implements MainView and forwards the window's events to the handlers below.
class MainWindow : private update::UpdateObserver {
public:
    // Loads the placement storage over the front end's window, creates the controller (whose descriptor the
    // view is asked to watch) and runs FormCreate.
    MainWindow(MainEnvironment environment, MainView& view, settings::PlacementWindow& placementWindow);
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // The window's events.
    void ButStartClick();
    void ButExitClick();
    // An entry picked by hand is identified at once, so that START acts on the entry shown.
    void cbDevicesSelect();
    // The controller's descriptor is readable.
    void OnNotification();
    // The window is asked to close: false keeps it open (busy work, or the placement storage refused).
    bool CloseQuery();

    settings::TAppIniFileStorage IniFile;
    hid::THidDeviceController& HidCtrl() { return *hidCtrl_; }
    update::UpdateEngine& Engine() { return *engine_; }

    const std::string& RememberedDevice() const { return rememberedDevice_; }
    hid::THidDevice* CurrentDevice() const { return engine_->Channel().CurrentDevice(); }
    bool Busy() const { return busy_; }

private:
    void FormCreate();
    void FormShow();
    void FormClose();
    void ReleaseCopy();

    void HidCtrlDeviceChange();
    bool HidCtrlEnumerate(hid::THidDevice& device, int index);
    void cbDevicesChange();
    void ResetDisplay();
    void ShowNoAccess(const hid::THidDevice& device);
    void SetStartEnabled(bool enabled);
    std::string SelectedText();
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
    MainView& view_;
    settings::PlacementWindow& placementWindow_;
    update::FirmwareImage image_;
    std::unique_ptr<update::UpdateEngine> engine_;
    std::unique_ptr<hid::THidDeviceController> hidCtrl_;
    std::unique_ptr<settings::TFormStorage> FormStorage1;

    std::string rememberedDevice_;
    bool firstSelectionPending_ = true;
    std::string savedSelection_;
    // The list's entries: their texts and the devices lent to them.
    std::vector<std::string> entries_;
    std::vector<hid::THidDevice*> listedDevices_;
    int selectIndex_ = -1;
    std::string statusText_;
    bool startEnabled_ = false;

    // The programmer that restarts after an upload's closing command: its entry text and the instance it had.
    struct Restarting {
        std::string text;
        std::string instance;
    };
    std::optional<Restarting> restarting_;
    // The status panel holds an upload's final message, which a rebuild leaves in place.
    bool outcomeShown_ = false;

    bool busy_ = false;
    bool rebuildPending_ = false;
    bool closePending_ = false;
};

} // namespace miran::window
