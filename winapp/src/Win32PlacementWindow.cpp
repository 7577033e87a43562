#include "Win32PlacementWindow.h"

#include "win32/Text.h"

namespace miran::winapp {

using namespace miran::settings;

namespace {

int ShowCommandOf(TWindowState state) {
    switch (state) {
    case TWindowState::wsMinimized:
        return SW_SHOWMINIMIZED;
    case TWindowState::wsMaximized:
        return SW_SHOWMAXIMIZED;
    case TWindowState::wsNormal:
        break;
    }
    return SW_SHOWNORMAL;
}

} // namespace

Win32PlacementWindow::Win32PlacementWindow(TFormBorderStyle borderStyle, TPosition position,
                                           Controls controls)
    : borderStyle_(borderStyle), position_(position), controls_(std::move(controls)) {}

void Win32PlacementWindow::ApplyPosition() {
    if (position_ != TPosition::poDesktopCenter && position_ != TPosition::poScreenCenter)
        return;
    RECT area{};
    if (position_ == TPosition::poDesktopCenter) {
        area.left = ::GetSystemMetrics(SM_XVIRTUALSCREEN);
        area.top = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
        area.right = area.left + ::GetSystemMetrics(SM_CXVIRTUALSCREEN);
        area.bottom = area.top + ::GetSystemMetrics(SM_CYVIRTUALSCREEN);
    } else {
        area = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    }
    RECT frame{};
    GetWindowRect(window_, &frame);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    SetWindowPos(window_, nullptr, area.left + (area.right - area.left - width) / 2,
                 area.top + (area.bottom - area.top - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int Win32PlacementWindow::ShowCommand() const {
    return ShowCommandOf(storedState_);
}

bool Win32PlacementWindow::HasWindow() const {
    return window_ != nullptr && IsWindow(window_);
}

bool Win32PlacementWindow::IsWindowVisible() const {
    return ::IsWindowVisible(window_);
}

TWindowPlacement Win32PlacementWindow::GetWindowPlacement() const {
    WINDOWPLACEMENT record{};
    record.length = sizeof record;
    ::GetWindowPlacement(window_, &record);
    TWindowPlacement placement;
    placement.Flags = static_cast<int>(record.flags);
    placement.ShowCmd = static_cast<int>(record.showCmd);
    placement.MinPosition = {record.ptMinPosition.x, record.ptMinPosition.y};
    placement.MaxPosition = {record.ptMaxPosition.x, record.ptMaxPosition.y};
    const RECT& r = record.rcNormalPosition;
    placement.NormalPosition = {r.left, r.top, r.right, r.bottom};
    return placement;
}

void Win32PlacementWindow::SetWindowPlacement(const TWindowPlacement& placement) {
    WINDOWPLACEMENT record{};
    record.length = sizeof record;
    record.flags = static_cast<UINT>(placement.Flags);
    record.showCmd = static_cast<UINT>(placement.ShowCmd);
    record.ptMinPosition = {placement.MinPosition.X, placement.MinPosition.Y};
    record.ptMaxPosition = {placement.MaxPosition.X, placement.MaxPosition.Y};
    const TRect& r = placement.NormalPosition;
    record.rcNormalPosition = {r.Left, r.Top, r.Right, r.Bottom};
    ::SetWindowPlacement(window_, &record);
}

bool Win32PlacementWindow::IsApplicationIconic() const {
    return IsIconic(window_);
}

void Win32PlacementWindow::MinimizeApplication() {
    PostMessageW(window_, WM_SYSCOMMAND, SC_MINIMIZE, 0);
}

int Win32PlacementWindow::GetSystemMetrics(TSystemMetric metric) const {
    // The metric numbers are the system's own.
    return ::GetSystemMetrics(static_cast<int>(metric));
}

TRect Win32PlacementWindow::BoundsRect() const {
    RECT frame{};
    GetWindowRect(window_, &frame);
    return {frame.left, frame.top, frame.right, frame.bottom};
}

TWindowState Win32PlacementWindow::WindowState() const {
    if (!IsWindowVisible())
        return storedState_;
    return IsIconic(window_)   ? TWindowState::wsMinimized
           : IsZoomed(window_) ? TWindowState::wsMaximized
                               : TWindowState::wsNormal;
}

void Win32PlacementWindow::SetWindowState(TWindowState state) {
    storedState_ = state;
    if (IsWindowVisible())
        ShowWindow(window_, ShowCommandOf(state));
}

void Win32PlacementWindow::Repaint() {
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

bool Win32PlacementWindow::IsPointOnMonitor(TPoint point) const {
    return MonitorFromPoint({point.X, point.Y}, MONITOR_DEFAULTTONULL) != nullptr;
}

int Win32PlacementWindow::ScreenPixelsPerInch() const {
    HDC screen = GetDC(nullptr);
    const int pixelsPerInch = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return pixelsPerInch;
}

TSize Win32PlacementWindow::DesktopSize() const {
    return {::GetSystemMetrics(SM_CXVIRTUALSCREEN), ::GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

std::string Win32PlacementWindow::ActiveControlName() const {
    HWND focused = GetFocus();
    return focused && IsChild(window_, focused) ? controls_.nameOf(focused) : std::string();
}

void Win32PlacementWindow::FocusControl(const std::string& name) {
    if (HWND control = controls_.byName(name); control && IsWindowEnabled(control))
        SetFocus(control);
}

void Win32PlacementWindow::ShowException(const std::exception& error) {
    MessageBoxW(window_, win32::ToUtf16(error.what()).c_str(), WindowTitle(window_).c_str(),
                MB_OK | MB_ICONERROR);
}

std::wstring WindowTitle(HWND window) {
    std::wstring title(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    title.resize(
        static_cast<std::size_t>(GetWindowTextW(window, title.data(), static_cast<int>(title.size()))));
    return title;
}

} // namespace miran::winapp
