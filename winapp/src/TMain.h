#pragma once

#include "MaskedEdit.h"
#include "Win32PlacementWindow.h"
#include "WindowsApi.h"
#include "win32/Debug.h"
#include "win32/Font.h"
#include "win32/GradientProgress.h"
#include "win32/LED.h"
#include "win32/MarkupLabel.h"
#include "win32/StatusBar.h"
#include "window/MainEnvironment.h"
#include "window/MainView.h"
#include "window/MainWindow.h"

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace miran::winapp {

// The main window in Win32: the controls of the layout, which show what window::MainWindow decides and
// forward their events to it.
class TMain : private window::MainView {
public:
    explicit TMain(window::MainEnvironment environment);
    ~TMain() override;
    TMain(const TMain&) = delete;
    TMain& operator=(const TMain&) = delete;

    HWND Handle() const { return handle_; }
    // A control by its identifier (ControlIds.h).
    HWND Control(int id) const;
    void SetDebugWindow(win32::TDebug* debug) { debug_ = debug; }

    // Shows the window the first time: the placement storage restores the stored placement, then FormShow.
    void Show();
    // The message loop, until the window has closed; the exit code.
    int Run();

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateControls();
    void Add(int id, HWND control);
    void RunDispatched();
    // One message of either loop: dialog keys first, an error shown rather than ending the loop.
    void Deliver(MSG& message);
    LRESULT ControlColour(HDC dc, HWND control);

    // What the behaviour shows and asks.
    void SetTitle(const std::string& title) override;
    void Close() override;
    void ShowDebugWindow() override;
    void ShowError(const std::string& text) override;
    void SetText(window::Field field, const std::string& text) override;
    std::string UsbSerialText() override;
    void ClearEntries() override;
    void AddEntry(const std::string& text) override;
    void SelectEntry(int index) override;
    int SelectedEntry() override;
    void SetLamp(window::Lamp lamp) override;
    void SetStatusText(const std::string& text) override;
    void SetStatusHint(const std::string& text) override;
    void SetProgressMax(int maximum) override;
    void SetProgressPosition(int position) override;
    void SetEnabled(window::Control control, bool enabled) override;
    void FocusStart() override;
    void Beep() override;
    bool CtrlHeld() override;
    void ProcessMessages() override;
    void WatchNotifications(int fd) override;
    void SetNotificationsWatched(bool watched) override;
    void Dispatch(std::function<void()> call) override;

    HWND handle_ = nullptr;
    win32::TDebug* debug_ = nullptr;
    std::map<int, HWND> controls_;
    std::map<int, std::string> names_;
    win32::FontHandle baseFont_{win32::PointFont("MS Sans Serif", 8)};
    win32::FontHandle labelFont_{win32::PointFont("Tahoma", 8, true)};
    win32::FontHandle buttonFont_{win32::PointFont("Verdana", 8, true)};
    std::unique_ptr<MaskedEdit> edUsbSerial_;
    std::unique_ptr<win32::TLED> Led_;
    std::unique_ptr<win32::TMarkupLabel> MarkupLabel1_;
    std::unique_ptr<win32::TStatusBar> sBar_;
    std::unique_ptr<win32::TGradientProgress> pBar_;
    Win32PlacementWindow placementWindow_;
    std::unique_ptr<window::MainWindow> behaviour_;

    std::mutex dispatchedMutex_;
    std::deque<std::function<void()>> dispatched_;
};

} // namespace miran::winapp
