#include "win32/StatusBar.h"

#include "core/ComponentError.h"
#include "win32/Text.h"

#include <commctrl.h>
#include <stdexcept>

namespace miran::win32 {
namespace {

constexpr UINT_PTR kSubclassId = 1;

int ClientHeight(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    return client.bottom;
}

} // namespace

int TStatusPanel::Index() const {
    for (int i = 0; i < bar_->PanelCount(); ++i) {
        if (bar_->Panel(i) == this)
            return i;
    }
    return -1;
}

// The native bar aligns by tabs and draws the bevel by flags.
void TStatusPanel::ShowText() const {
    const wchar_t* const tabs = alignment_ == TAlignment::taCenter         ? L"\t"
                                : alignment_ == TAlignment::taRightJustify ? L"\t\t"
                                                                           : L"";
    const UINT bevel = bevel_ == TStatusPanelBevel::pbNone     ? SBT_NOBORDERS
                       : bevel_ == TStatusPanelBevel::pbRaised ? SBT_POPOUT
                                                               : 0;
    const std::wstring text = tabs + ToUtf16(text_);
    SendMessageW(bar_->Handle(), SB_SETTEXTW, static_cast<WPARAM>(Index()) | bevel,
                 reinterpret_cast<LPARAM>(text.c_str()));
}

void TStatusPanel::setText(const std::string& text) {
    if (text == text_)
        return;
    text_ = text;
    ShowText();
}

void TStatusPanel::setWidth(int width) {
    if (width == width_)
        return;
    width_ = width;
    bar_->PanelsLaidOut();
}

void TStatusPanel::setAlignment(TAlignment alignment) {
    if (alignment == alignment_)
        return;
    alignment_ = alignment;
    ShowText();
}

void TStatusPanel::setBevel(TStatusPanelBevel bevel) {
    if (bevel == bevel_)
        return;
    bevel_ = bevel;
    ShowText();
}

void TStatusPanel::setMarginLeft(int margin) {
    if (margin == marginLeft_)
        return;
    marginLeft_ = margin;
    bar_->RepositionHostedControls();
}

void TStatusPanel::setMarginTop(int margin) {
    if (margin == marginTop_)
        return;
    marginTop_ = margin;
    bar_->RepositionHostedControls();
}

void TStatusPanel::setControl(HWND control) {
    control_ = control;
    if (control_ != nullptr) {
        if (control_ == bar_->Handle()) {
            control_ = nullptr;
            throw EComponentError("Invalid control selection");
        }
        if (GetParent(control_) != bar_->Handle())
            SetParent(control_, bar_->Handle());
        RECT place{};
        GetWindowRect(control_, &place);
        SetWindowPos(control_, nullptr, 0, 0, place.right - place.left,
                     paint::HostedControlHeight(ClientHeight(bar_->Handle())),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    bar_->RepositionHostedControls();
}

TStatusBar::TStatusBar(HWND parent) {
    const INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_BAR_CLASSES};
    InitCommonControlsEx(&classes);
    hwnd_ = CreateWindowExW(0, STATUSCLASSNAMEW, nullptr, WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0,
                            parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetWindowSubclass(hwnd_, Subclass, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
    PanelsLaidOut();
}

// The tool tip belongs to the top-level window, which may outlive the bar.
TStatusBar::~TStatusBar() {
    if (hwnd_ == nullptr)
        return;
    RemoveWindowSubclass(hwnd_, Subclass, kSubclassId);
    DestroyWindow(hwnd_);
    if (toolTip_ != nullptr)
        DestroyWindow(toolTip_);
}

LRESULT CALLBACK TStatusBar::Subclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                      DWORD_PTR data) {
    auto* self = reinterpret_cast<TStatusBar*>(data);
    const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
    switch (message) {
    case WM_WINDOWPOSCHANGED:
        self->RepositionHostedControls();
        break;
    case WM_PARENTNOTIFY:
        if (LOWORD(wParam) == WM_DESTROY)
            self->ControlDestroyed(reinterpret_cast<HWND>(lParam));
        break;
    case WM_NCDESTROY:
        RemoveWindowSubclass(window, Subclass, kSubclassId);
        if (self->toolTip_ != nullptr)
            DestroyWindow(self->toolTip_);
        self->toolTip_ = nullptr;
        self->hwnd_ = nullptr;
        break;
    default:
        break;
    }
    return result;
}

void TStatusBar::ControlDestroyed(HWND control) {
    for (const auto& panel : panels_) {
        if (panel->control_ == control)
            panel->control_ = nullptr;
    }
}

TStatusPanel* TStatusBar::AddPanel() {
    panels_.push_back(std::unique_ptr<TStatusPanel>(new TStatusPanel(this)));
    PanelsLaidOut();
    return panels_.back().get();
}

void TStatusBar::RemovePanel(int index) {
    if (index < 0 || index >= PanelCount())
        throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
    panels_.erase(panels_.begin() + index);
    PanelsLaidOut();
}

std::vector<paint::PanelGeometry> TStatusBar::Geometry() const {
    std::vector<paint::PanelGeometry> panels;
    for (const auto& panel : panels_)
        panels.push_back({panel->Width(), panel->MarginLeft(), panel->MarginTop()});
    return panels;
}

paint::TRect TStatusBar::PanelRect(int index) const {
    RECT client{};
    GetClientRect(hwnd_, &client);
    return paint::PanelRect(Geometry(), index, client.right, client.bottom);
}

// The parts' right edges; -1 takes the last one to the bar's right edge, whatever the bar's width.
void TStatusBar::PanelsLaidOut() {
    const std::vector<paint::PanelGeometry> panels = Geometry();
    std::vector<int> edges;
    for (int i = 0; i < PanelCount(); ++i)
        edges.push_back(i + 1 == PanelCount() ? -1 : paint::PanelRect(panels, i, 0, 0).Right);
    if (edges.empty())
        edges.push_back(-1);
    SendMessageW(hwnd_, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
    for (const auto& panel : panels_)
        panel->ShowText();
    RepositionHostedControls();
}

void TStatusBar::RepositionHostedControls() {
    const std::vector<paint::PanelGeometry> panels = Geometry();
    for (int i = 0; i < PanelCount(); ++i) {
        if (const HWND control = panels_[static_cast<std::size_t>(i)]->Control()) {
            const paint::TPoint at = paint::HostedControlPosition(panels, i);
            SetWindowPos(control, nullptr, at.X, at.Y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
}

bool TStatusBar::SizeGrip() const {
    return (GetWindowLongW(hwnd_, GWL_STYLE) & SBARS_SIZEGRIP) != 0;
}

void TStatusBar::setSizeGrip(bool on) {
    if (on == SizeGrip())
        return;
    const LONG style = GetWindowLongW(hwnd_, GWL_STYLE);
    SetWindowLongW(hwnd_, GWL_STYLE, on ? style | SBARS_SIZEGRIP : style & ~SBARS_SIZEGRIP);
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void TStatusBar::setUseSystemFont(bool on) {
    if (on == UseSystemFont() || !on)
        return;
    SendMessageW(hwnd_, WM_SETFONT, 0, TRUE);
    font_.reset();
}

void TStatusBar::setFont(const paint::Font& font) {
    auto handle = std::make_unique<FontHandle>(font);
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(handle->Get()), TRUE);
    font_ = std::move(handle);
}

void TStatusBar::setHint(const std::string& hint) {
    if (hint == hint_)
        return;
    hint_ = hint;
    std::wstring text = ToUtf16(hint);
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = GetParent(hwnd_);
    tool.uId = reinterpret_cast<UINT_PTR>(hwnd_);
    tool.lpszText = text.data();
    if (toolTip_ == nullptr) {
        toolTip_ = CreateWindowExW(
            WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, GetModuleHandleW(nullptr), nullptr);
        SendMessageW(toolTip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    } else {
        SendMessageW(toolTip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

} // namespace miran::win32
