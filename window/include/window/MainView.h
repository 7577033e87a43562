#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace miran::window {

// The lamp: off (keeping its colour), or on in yellow while a programmer is identified and after it failed,
// in lime after it succeeded.
enum class Lamp { Off, Identifying, Identified };

// The on-colour of a lamp that is on, as a colour number (red in the lowest byte); none while it is off.
constexpr std::optional<std::uint32_t> LampOnColour(Lamp lamp) {
    switch (lamp) {
    case Lamp::Identifying:
        return 0x00FFFF; // yellow
    case Lamp::Identified:
        return 0x00FF00; // lime
    case Lamp::Off:
        break;
    }
    return std::nullopt;
}

// The texts the behaviour writes into the window's labels and its serial field.
enum class Field { BiosVersion, BiosInfo, DeviceBios, UsbSerial };

// The controls the behaviour switches on and off.
enum class Control { Start, Exit, DeviceList };

// The main window as a front end shows it: its controls, the platform's services the window reaches, and the
// front end's event loop. The behaviour (MainWindow) decides; the view only shows and forwards.
class MainView {
public:
    virtual ~MainView() = default;

    // The window's caption and its task bar text.
    virtual void SetTitle(const std::string& title) = 0;
    // Asks the window to close as its close box does; the front end then asks MainWindow::CloseQuery.
    virtual void Close() = 0;
    virtual void ShowDebugWindow() = 0;
    // An error that reached the event loop, in a message box.
    virtual void ShowError(const std::string& text) = 0;

    // Labels and the serial field. The field gets the serial text with its blanks as spaces.
    virtual void SetText(Field field, const std::string& text) = 0;
    // The serial field as shown, blanks included.
    virtual std::string UsbSerialText() = 0;

    // The device list: entries in order, the selection by index (-1: none).
    virtual void ClearEntries() = 0;
    virtual void AddEntry(const std::string& text) = 0;
    virtual void SelectEntry(int index) = 0;
    virtual int SelectedEntry() = 0;

    virtual void SetLamp(Lamp lamp) = 0;
    // The status panel's line, and the longer text shown when the pointer rests on the status bar.
    virtual void SetStatusText(const std::string& text) = 0;
    virtual void SetStatusHint(const std::string& text) = 0;
    virtual void SetProgressMax(int maximum) = 0;
    virtual void SetProgressPosition(int position) = 0;
    virtual void SetEnabled(Control control, bool enabled) = 0;
    virtual void FocusStart() = 0;

    // The critical-stop sound.
    virtual void Beep() = 0;
    virtual bool CtrlHeld() = 0;
    // Runs what is pending in the event loop: repaints, clicks, notifications, dispatched calls.
    virtual void ProcessMessages() = 0;

    // The loop watches the HID controller's descriptor for readability and then calls
    // MainWindow::OnNotification. A descriptor of -1 means the backend delivers through its callback on the
    // main thread by itself, so there is nothing to watch.
    virtual void WatchNotifications(int fd) = 0;
    // Off while a scan runs: a notification arriving meanwhile waits.
    virtual void SetNotificationsWatched(bool watched) = 0;
    // Runs a call on the main thread soon (a read thread's report).
    virtual void Dispatch(std::function<void()> call) = 0;
};

} // namespace miran::window
