#pragma once

#include "WindowsApi.h"
#include "settings/PlacementWindow.h"

#include <functional>
#include <string>

namespace miran::winapp {

// A top-level window as the placement storage sees it: the system's own placement record, metrics and
// monitors. A state set while the window is hidden is kept for its first show.
class Win32PlacementWindow : public settings::PlacementWindow {
public:
    // Control names by window, both ways, for the active control.
    struct Controls {
        std::function<std::string(HWND)> nameOf;
        std::function<HWND(const std::string&)> byName;
    };

    Win32PlacementWindow(settings::TFormBorderStyle borderStyle, settings::TPosition position,
                         Controls controls);

    void SetHandle(HWND window) { window_ = window; }
    // Places the window as its Position asks for, before the stored placement applies.
    void ApplyPosition();
    // The show command for the window's first show.
    int ShowCommand() const;

    std::string Name() const override { return "Main"; }
    settings::TFormEvents& Events() override { return events_; }
    bool HasWindow() const override;
    bool IsWindowVisible() const override;
    settings::TWindowPlacement GetWindowPlacement() const override;
    void SetWindowPlacement(const settings::TWindowPlacement& placement) override;
    bool IsMainForm() const override { return true; }
    bool IsApplicationIconic() const override;
    void MinimizeApplication() override;
    settings::TFormStyle FormStyle() const override { return settings::TFormStyle::fsNormal; }
    settings::TFormBorderStyle BorderStyle() const override { return borderStyle_; }
    int GetSystemMetrics(settings::TSystemMetric metric) const override;
    settings::TRect BoundsRect() const override;
    settings::TPosition Position() const override { return position_; }
    void SetPosition(settings::TPosition position) override { position_ = position; }
    settings::TWindowState WindowState() const override;
    void SetWindowState(settings::TWindowState state) override;
    void SetStoredWindowState(settings::TWindowState state) override { storedState_ = state; }
    void Repaint() override;
    bool IsPointOnMonitor(settings::TPoint point) const override;
    int ScreenPixelsPerInch() const override;
    settings::TSize DesktopSize() const override;
    std::string ActiveControlName() const override;
    void FocusControl(const std::string& name) override;
    void ShowException(const std::exception& error) override;

private:
    HWND window_ = nullptr;
    settings::TFormEvents events_;
    settings::TFormBorderStyle borderStyle_;
    settings::TPosition position_;
    settings::TWindowState storedState_ = settings::TWindowState::wsNormal;
    Controls controls_;
};

// A window's caption, for the message boxes it owns.
std::wstring WindowTitle(HWND window);

} // namespace miran::winapp
