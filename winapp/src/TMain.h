#pragma once

#include "MaskedEdit.h"
#include "Win32PlacementWindow.h"
#include "WindowsApi.h"
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
    void SetDebugWindow(HWND debug) { debug_ = debug; }

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
    HWND debug_ = nullptr;
    std::map<int, HWND> controls_;
    std::map<int, std::string> names_;
    std::unique_ptr<MaskedEdit> edUsbSerial_;
    HFONT baseFont_;
    HFONT labelFont_;
    HFONT buttonFont_;
    HFONT barFont_;
    HBRUSH panelBrush_;
    Win32PlacementWindow placementWindow_;
    std::unique_ptr<window::MainWindow> behaviour_;

    std::mutex dispatchedMutex_;
    std::deque<std::function<void()>> dispatched_;
};

} // namespace miran::winapp
