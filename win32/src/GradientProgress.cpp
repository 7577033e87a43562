#include "win32/GradientProgress.h"

#include "win32/GdiCanvas.h"

namespace miran::win32 {
TGradientProgress::TGradientProgress(HWND parent, int left, int top, int width, int height) {
    font_.family = "MS Sans Serif";
    bar_.SetClientSize(width, height);
    Create({L"MiranGradientProgress"}, 0, WS_CHILD | WS_VISIBLE, nullptr, left, top, width, height, parent);
}

void TGradientProgress::setMinimum(int value) {
    bar_.SetMinimum(value);
    RedrawIfDue();
}

void TGradientProgress::setMaximum(int value) {
    bar_.SetMaximum(value);
    RedrawIfDue();
}

void TGradientProgress::setPosition(int value) {
    bar_.SetPosition(value);
    RedrawIfDue();
}

void TGradientProgress::setStartColor(paint::TColor c) {
    if (c == startColor_)
        return;
    startColor_ = c;
    bar_.SetStartRgb(Resolve(c));
    RedrawIfDue();
}

void TGradientProgress::setEndColor(paint::TColor c) {
    if (c == endColor_)
        return;
    endColor_ = c;
    bar_.SetEndRgb(Resolve(c));
    RedrawIfDue();
}

void TGradientProgress::setSolid(bool solid) {
    bar_.SetSolid(solid);
    RedrawIfDue();
}

void TGradientProgress::setGradientBlocks(bool shaded) {
    bar_.SetGradientBlocks(shaded);
    RedrawIfDue();
}

void TGradientProgress::setBorderStyle(TBorderStyle style) {
    bar_.SetBorderStyle(style);
    RedrawIfDue();
}

void TGradientProgress::setTextOption(TTextOption option) {
    bar_.SetTextOption(option);
    RedrawIfDue();
}

void TGradientProgress::setTextCentered(bool centered) {
    bar_.SetTextCentered(centered);
    RedrawIfDue();
}

void TGradientProgress::setCaption(const std::string& caption) {
    if (caption == caption_)
        return;
    caption_ = caption;
    bar_.SetCaption(caption);
    RedrawIfDue();
}

paint::TColor TGradientProgress::Color() const {
    return color_ ? *color_ : ParentBackground(Handle());
}

void TGradientProgress::setColor(paint::TColor c) {
    if (color_ == c)
        return;
    color_ = c;
    bar_.ColorChanged();
    RedrawIfDue();
}

void TGradientProgress::setParentColor(bool follow) {
    if (follow == ParentColor())
        return;
    color_ = follow ? std::nullopt : std::optional(Color());
    bar_.ColorChanged();
    RedrawIfDue();
}

void TGradientProgress::setFont(const paint::Font& font) {
    if (font == font_)
        return;
    font_ = font;
    bar_.FontChanged();
    RedrawIfDue();
}

void TGradientProgress::setFontColor(paint::TColor c) {
    if (c == fontColor_)
        return;
    fontColor_ = c;
    bar_.FontChanged();
    RedrawIfDue();
}

// At once, not at a later repaint.
void TGradientProgress::RedrawIfDue() {
    if (bar_.TakeRedraw())
        RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

LRESULT TGradientProgress::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1; // the picture covers every pixel
    case WM_PAINT:
    case WM_PRINTCLIENT:
        Paint(message, wParam, [this](HDC dc, int, int) {
            GdiCanvas canvas(dc);
            bar_.Draw(canvas, {Color(), font_, fontColor_});
        });
        return 0;
    case WM_SIZE:
        // Every pixel is drawn again at the next paint anyway.
        bar_.SetClientSize(LOWORD(lParam), HIWORD(lParam));
        bar_.SizeChanged();
        bar_.TakeRedraw();
        InvalidateRect(Handle(), nullptr, FALSE);
        return 0;
    case WM_SYSCOLORCHANGE:
        // System colours follow the desktop.
        bar_.SetStartRgb(Resolve(startColor_));
        bar_.SetEndRgb(Resolve(endColor_));
        bar_.ColorChanged();
        RedrawIfDue();
        return 0;
    default:
        return Default(message, wParam, lParam);
    }
}

} // namespace miran::win32
