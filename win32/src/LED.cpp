#include "win32/LED.h"

#include "win32/GdiCanvas.h"

namespace miran::win32 {
namespace {

constexpr UINT_PTR kBlinkTimer = 1;

} // namespace

TLED::TLED(HWND parent, int left, int top) : lamp_(Resolve) {
    Create({L"MiranLED"}, 0, WS_CHILD | WS_VISIBLE, nullptr, left, top, lamp_.Width(), lamp_.Height(),
           parent);
}

void TLED::setStatus(bool on) {
    const int recolors = lamp_.RecolorCount();
    lamp_.SetStatus(on);
    StatusAssigned(recolors);
}

// A rebuilt lamp is shown at once; the callback hears of every assignment of Status.
void TLED::StatusAssigned(int recolorsBefore) {
    if (lamp_.RecolorCount() != recolorsBefore)
        Repaint();
    if (OnStatusChange)
        OnStatusChange(this);
}

void TLED::Repaint() {
    RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void TLED::setColorOn(paint::TColor c) {
    if (lamp_.SetColorOn(c))
        Repaint();
}

void TLED::setColorOff(paint::TColor c) {
    if (lamp_.SetColorOff(c))
        Repaint();
}

void TLED::setColor(paint::TColor c) {
    if (lamp_.SetColor(c))
        Repaint();
}

void TLED::setActive(bool blinking) {
    if (blinking == lamp_.Active())
        return; // restarting the timer would postpone the next toggle
    lamp_.SetActive(blinking);
    UpdateBlinkTimer();
}

void TLED::setInterval(unsigned milliseconds) {
    if (milliseconds == lamp_.Interval())
        return;
    lamp_.SetInterval(milliseconds);
    if (timerRunning_) {
        KillTimer(Handle(), kBlinkTimer);
        timerRunning_ = false;
    }
    UpdateBlinkTimer();
}

void TLED::UpdateBlinkTimer() {
    if (lamp_.Blinking() == timerRunning_)
        return;
    if (lamp_.Blinking())
        SetTimer(Handle(), kBlinkTimer, lamp_.Interval(), nullptr);
    else
        KillTimer(Handle(), kBlinkTimer);
    timerRunning_ = lamp_.Blinking();
}

void TLED::setAutoSize(bool on) {
    if (on == autoSize_)
        return;
    autoSize_ = on;
    if (on)
        SetWindowPos(Handle(), nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT TLED::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1; // painting covers the whole control
    case WM_PAINT:
    case WM_PRINTCLIENT:
        Paint(message, wParam, [this](HDC dc, int width, int height) {
            PaintParentBackground(Handle(), dc);
            GdiCanvas canvas(dc);
            lamp_.Draw(canvas, width, height);
        });
        return 0;
    case WM_WINDOWPOSCHANGING:
        if (autoSize_) {
            auto* place = reinterpret_cast<WINDOWPOS*>(lParam);
            place->cx = lamp_.Width();
            place->cy = lamp_.Height();
        }
        break;
    case WM_TIMER:
        if (wParam == kBlinkTimer) {
            const int recolors = lamp_.RecolorCount();
            if (lamp_.Tick(IsIconic(GetAncestor(Handle(), GA_ROOT))))
                StatusAssigned(recolors);
            return 0;
        }
        break;
    case WM_SYSCOLORCHANGE:
        if (lamp_.Color().IsSystem()) {
            lamp_.Recolor();
            Repaint();
        }
        return 0;
    default:
        break;
    }
    return Default(message, wParam, lParam);
}

} // namespace miran::win32
