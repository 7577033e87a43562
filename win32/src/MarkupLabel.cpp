#include "win32/MarkupLabel.h"

#include "core/ConvertError.h"
#include "win32/GdiCanvas.h"
#include "win32/Text.h"

#include <shellapi.h>
#include <windowsx.h>

namespace miran::win32 {
namespace {

// Measuring needs no window of the label's own: the screen's metrics are the ones it paints with.
class ScreenCanvas {
public:
    ScreenCanvas() : dc_(GetDC(nullptr)), canvas_(dc_) {}
    ~ScreenCanvas() { ReleaseDC(nullptr, dc_); }
    ScreenCanvas(const ScreenCanvas&) = delete;
    ScreenCanvas& operator=(const ScreenCanvas&) = delete;
    GdiCanvas& Get() { return canvas_; }

private:
    HDC dc_;
    GdiCanvas canvas_;
};

paint::TPoint MousePoint(LPARAM lParam) {
    return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

} // namespace

LinkOpener DesktopLinkOpener() {
    return [](const std::string& target) {
        ShellExecuteW(nullptr, L"open", ToUtf16(target).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    };
}

TMarkupLabel::TMarkupLabel(HWND parent, int left, int top, int width, int height) {
    font_.family = "MS Sans Serif";
    Create({L"MiranMarkupLabel"}, 0, WS_CHILD | WS_VISIBLE, nullptr, left, top, width, height, parent);
    Resize(MeasuredSize(caption_));
}

// A caption that cannot be measured is refused before anything changes.
void TMarkupLabel::setCaption(const std::string& caption) {
    if (caption == caption_)
        return;
    const std::optional<paint::TPoint> size = autoSize_ ? std::optional(MeasuredSize(caption)) : std::nullopt;
    caption_ = caption;
    if (size)
        Resize(*size);
    InvalidateRect(Handle(), nullptr, FALSE);
}

void TMarkupLabel::setAutoSize(bool on) {
    if (on == autoSize_)
        return;
    const std::optional<paint::TPoint> size = on ? std::optional(MeasuredSize(caption_)) : std::nullopt;
    autoSize_ = on;
    if (size)
        Resize(*size);
}

void TMarkupLabel::setSuperSubScriptRatio(double ratio) {
    if (ratio == ratio_)
        return;
    ratio_ = ratio;
    InvalidateRect(Handle(), nullptr, FALSE);
}

void TMarkupLabel::setLayout(TTextLayout layout) {
    if (layout == layout_)
        return;
    layout_ = layout;
    InvalidateRect(Handle(), nullptr, FALSE);
}

void TMarkupLabel::setTransparent(bool transparent) {
    if (transparent == transparent_)
        return;
    transparent_ = transparent;
    InvalidateRect(Handle(), nullptr, FALSE);
}

paint::TColor TMarkupLabel::Color() const {
    return color_ ? *color_ : ParentBackground(Handle());
}

void TMarkupLabel::setColor(paint::TColor c) {
    if (color_ == c)
        return;
    color_ = c;
    InvalidateRect(Handle(), nullptr, FALSE);
}

void TMarkupLabel::setParentColor(bool follow) {
    if (follow == ParentColor())
        return;
    color_ = follow ? std::nullopt : std::optional(Color());
    InvalidateRect(Handle(), nullptr, FALSE);
}

// Like a font change of the Qt label: measured again, but a caption that cannot be measured keeps the size.
void TMarkupLabel::setFont(const paint::Font& font) {
    if (font == font_)
        return;
    font_ = font;
    try {
        if (autoSize_)
            Resize(MeasuredSize(caption_));
    } catch (const EConvertError& e) {
        OutputDebugStringA(e.what()); // painting reports the faulty caption as well
    }
    InvalidateRect(Handle(), nullptr, FALSE);
}

void TMarkupLabel::setFontColor(paint::TColor c) {
    if (c == fontColor_)
        return;
    fontColor_ = c;
    InvalidateRect(Handle(), nullptr, FALSE);
}

paint::MarkupStyle TMarkupLabel::Style() const {
    paint::MarkupStyle style;
    style.font = font_;
    style.fontColor = fontColor_;
    style.brushColor = Color();
    style.brushClear = transparent_;
    return style;
}

paint::TRect TMarkupLabel::TextRect() const {
    ScreenCanvas measure;
    return paint::MarkupTextRect(measure.Get(), Style(), layout_, {0, 0, ClientWidth(), ClientHeight()},
                                 ratio_, caption_);
}

paint::TPoint TMarkupLabel::MeasuredSize(const std::string& caption) const {
    ScreenCanvas measure;
    return paint::MarkupLabelSize(measure.Get(), Style(), ratio_, caption);
}

void TMarkupLabel::Resize(paint::TPoint size) {
    SetWindowPos(Handle(), nullptr, 0, 0, size.X, size.Y, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TMarkupLabel::Draw(HDC dc, int width, int height) {
    GdiCanvas canvas(dc);
    if (transparent_)
        PaintParentBackground(Handle(), dc);
    else
        canvas.FillRect({0, 0, width, height}, Color());
    try {
        paint::DrawMarkupLabel(canvas, paint::PlainStyle(Style()), TextRect(), IsWindowEnabled(Handle()),
                               ratio_, caption_, mouse_);
    } catch (const EConvertError& e) {
        // An exception must not cross the window procedure; the caption is at fault, so say so.
        OutputDebugStringA(e.what());
    }
}

void TMarkupLabel::Repaint() {
    InvalidateRect(Handle(), nullptr, FALSE);
    if (!transparent_)
        UpdateWindow(Handle());
}

void TMarkupLabel::MouseMoved(paint::TPoint at) {
    mouse_ = at;
    if (!trackingLeave_) {
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, Handle(), 0};
        trackingLeave_ = TrackMouseEvent(&track) != 0;
    }
    ScreenCanvas measure;
    const bool hot =
        paint::MarkupLabelLinkAt(measure.Get(), Style(), TextRect(), ratio_, caption_, at).has_value();
    SetCursor(LoadCursorW(nullptr, hot ? IDC_HAND : IDC_ARROW));
    if (hot != linkHot_) {
        linkHot_ = hot;
        Repaint();
    }
}

void TMarkupLabel::MouseLeft() {
    trackingLeave_ = false;
    mouse_ = {0, 0};
    if (linkHot_) {
        linkHot_ = false;
        Repaint();
    }
}

void TMarkupLabel::ButtonReleased(unsigned button, paint::TPoint at) {
    mouse_ = at;
    if ((linkButtons_ & button) == 0)
        return;
    ScreenCanvas measure;
    const auto target = paint::MarkupLabelLinkAt(measure.Get(), Style(), TextRect(), ratio_, caption_, at);
    if (!target)
        return;
    if (paint::OpensOnTheDesktop(*target))
        openLink_(*target);
    if (OnHyperLinkClick)
        OnHyperLinkClick(this, *target);
}

LRESULT TMarkupLabel::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1; // painting covers the whole label
    case WM_PAINT:
    case WM_PRINTCLIENT:
        Paint(message, wParam, [this](HDC dc, int width, int height) { Draw(dc, width, height); });
        return 0;
    case WM_ENABLE:
        InvalidateRect(Handle(), nullptr, FALSE);
        return 0;
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT) {
            SetCursor(LoadCursorW(nullptr, linkHot_ ? IDC_HAND : IDC_ARROW));
            return TRUE;
        }
        break;
    case WM_MOUSEMOVE:
        MouseMoved(MousePoint(lParam));
        return 0;
    case WM_MOUSELEAVE:
        MouseLeft();
        return 0;
    case WM_LBUTTONUP:
        ButtonReleased(MK_LBUTTON, MousePoint(lParam));
        return 0;
    case WM_RBUTTONUP:
        ButtonReleased(MK_RBUTTON, MousePoint(lParam));
        return 0;
    case WM_MBUTTONUP:
        ButtonReleased(MK_MBUTTON, MousePoint(lParam));
        return 0;
    default:
        break;
    }
    return Default(message, wParam, lParam);
}

} // namespace miran::win32
