#pragma once

#include "SystemLoop.h"
#include "window/MainView.h"
#include "window/MainWindow.h"
#include "window/SerialMask.h"

#include <algorithm>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace miran::window::testing {

// The lamp's on-colours.
enum class LedColor { Yellow, Lime };

// Controls that keep what the behaviour shows, with the accessors of the Qt controls they stand for.
struct FakeLabel {
    std::string caption = "---";
    const std::string& Text() const { return caption; }
};

// Fifteen optional digits, blanks shown as '_', as the serial mask keeps them.
struct FakeSerialField {
    SerialMask mask;
    void setText(const std::string& text) { mask.SetText(text); }
    const std::string& DisplayText() const { return mask.Shown(); }
    // The text without its blanks.
    std::string Text() const {
        std::string digits = mask.Shown();
        std::erase(digits, SerialMask::kBlank);
        return digits;
    }
};

struct FakeComboBox {
    std::vector<std::string> items;
    int index = -1;
    bool enabled = true;
    int Count() const { return static_cast<int>(items.size()); }
    std::string CurrentText() const { return index >= 0 ? items[static_cast<std::size_t>(index)] : ""; }
    // A selection the program makes: no event.
    void setCurrentIndex(int i) { index = i; }
};

struct FakeLed {
    bool status = false;
    LedColor colorOn = LedColor::Lime;
    bool Status() const { return status; }
    LedColor ColorOn() const { return colorOn; }
};

// Keeps its position between 0 and its maximum, as the gradient bar does.
struct FakeProgress {
    int maximum = 100;
    int position = 0;
    int Maximum() const { return maximum; }
    int Position() const { return position; }
};

struct FakeStatusBar {
    std::string text;
    std::string hint;
    const std::string& ToolTip() const { return hint; }
};

// The main window without a toolkit: it keeps what it is shown and runs the controller's notifications and
// dispatched calls when messages are processed.
class FakeMainView : public MainView {
public:
    FakeLabel LabBiosVersion;
    FakeLabel LabBiosInfo;
    FakeLabel LabSDBios;
    FakeSerialField edUsbSerial;
    FakeComboBox cbDevices;
    FakeLed Led;
    FakeProgress pBar;
    FakeStatusBar sBar;
    bool startEnabled = false;
    bool exitEnabled = true;
    std::string title;
    bool visible = false;
    bool debugShown = false;
    std::vector<std::string> errors;
    int beeps = 0;
    bool ctrlHeld = false;
    int startFocused = 0;

    void SetBehaviour(MainWindow* behaviour) { behaviour_ = behaviour; }

    // The user's actions.
    void ClickStart() {
        if (startEnabled)
            behaviour_->ButStartClick();
    }
    // The user moves the list's selection one entry down with the keyboard.
    void PickNext() {
        if (cbDevices.index + 1 < cbDevices.Count()) {
            ++cbDevices.index;
            behaviour_->cbDevicesSelect();
        }
    }
    const std::string& StatusText() const { return sBar.text; }

    void SetTitle(const std::string& text) override { title = text; }
    void Close() override {
        if (behaviour_->CloseQuery())
            visible = false;
    }
    void ShowDebugWindow() override { debugShown = true; }
    void ShowError(const std::string& text) override { errors.push_back(text); }
    void SetText(Field field, const std::string& text) override {
        switch (field) {
        case Field::BiosVersion:
            LabBiosVersion.caption = text;
            break;
        case Field::BiosInfo:
            LabBiosInfo.caption = text;
            break;
        case Field::DeviceBios:
            LabSDBios.caption = text;
            break;
        case Field::UsbSerial: {
            std::string blanks = text;
            std::replace(blanks.begin(), blanks.end(), ' ', '_');
            edUsbSerial.setText(blanks);
            break;
        }
        }
    }
    std::string UsbSerialText() override { return edUsbSerial.DisplayText(); }
    void ClearEntries() override {
        cbDevices.items.clear();
        cbDevices.index = -1;
    }
    void AddEntry(const std::string& text) override {
        cbDevices.items.push_back(text);
        if (cbDevices.index < 0)
            cbDevices.index = 0;
    }
    void SelectEntry(int index) override { cbDevices.index = index; }
    int SelectedEntry() override { return cbDevices.index; }
    void SetLamp(Lamp lamp) override {
        if (lamp != Lamp::Off)
            Led.colorOn = lamp == Lamp::Identified ? LedColor::Lime : LedColor::Yellow;
        Led.status = lamp != Lamp::Off;
    }
    void SetStatusText(const std::string& text) override { sBar.text = text; }
    void SetStatusHint(const std::string& text) override { sBar.hint = text; }
    void SetProgressMax(int maximum) override {
        pBar.maximum = std::max(maximum, 0);
        pBar.position = std::min(pBar.position, pBar.maximum);
    }
    void SetProgressPosition(int position) override { pBar.position = std::clamp(position, 0, pBar.maximum); }
    void SetEnabled(Control control, bool enabled) override {
        switch (control) {
        case Control::Start:
            startEnabled = enabled;
            break;
        case Control::Exit:
            exitEnabled = enabled;
            break;
        case Control::DeviceList:
            cbDevices.enabled = enabled;
            break;
        }
    }
    void FocusStart() override { ++startFocused; }
    void Beep() override { ++beeps; }
    bool CtrlHeld() override { return ctrlHeld; }
    void ProcessMessages() override {
        for (;;) {
            if (!calls_.empty()) {
                auto call = std::move(calls_.front());
                calls_.pop_front();
                call();
                continue;
            }
            if (!RunPendingNotification(*behaviour_, fd_, watched_))
                return;
        }
    }
    void WatchNotifications(int fd) override { fd_ = fd; }
    void SetNotificationsWatched(bool watched) override { watched_ = watched; }
    void Dispatch(std::function<void()> call) override { calls_.push_back(std::move(call)); }

private:
    MainWindow* behaviour_ = nullptr;
    int fd_ = -1;
    bool watched_ = true;
    std::deque<std::function<void()>> calls_;
};

} // namespace miran::window::testing
