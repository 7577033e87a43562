#include "win32/MsgBox.h"

#include "paint/MessageGlyph.h"
#include "win32/GdiCanvas.h"

#include <cstdint>
#include <cwctype>
#include <string>

namespace miran::win32 {
namespace {

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION;
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW;

// A 32-bit device-independent bitmap of the picture.
HBITMAP ToBitmap(const paint::Bitmap& image) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = image.width;
    info.bmiHeader.biHeight = -image.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    auto* pixels = static_cast<std::uint32_t*>(bits);
    for (const paint::TColor c : image.pixels)
        *pixels++ = static_cast<std::uint32_t>(c.Red() << 16 | c.Green() << 8 | c.Blue());
    return bitmap;
}

HWND MakeChild(const wchar_t* className, const wchar_t* text, DWORD style, int left, int top, int width,
               int height, HWND parent) {
    return CreateWindowExW(0, className, text, WS_CHILD | WS_VISIBLE | style, left, top, width, height,
                           parent, nullptr, GetModuleHandleW(nullptr), nullptr);
}

} // namespace

TMsgBox::TMsgBox() {
    RECT frame{0, 0, 295, 123};
    AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
    Create({L"TMsgBox", 0, GetSysColorBrush(COLOR_BTNFACE)}, kExStyle, kStyle, L"MsgBox", CW_USEDEFAULT,
           CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top, nullptr);

    img_ = MakeChild(L"STATIC", nullptr, SS_BITMAP | SS_CENTERIMAGE, 16, 16, 32, 32, Handle());
    const HDC screen = GetDC(nullptr);
    int width = 0, height = 0;
    {
        GdiCanvas measure(screen);
        width = measure.TextWidth("InfoLabel", labelFont_.Font());
        height = measure.TextHeight(labelFont_.Font());
    }
    ReleaseDC(nullptr, screen);
    infoLabel_ = MakeChild(L"STATIC", L"InfoLabel", SS_LEFT | SS_NOPREFIX, 72, 8, width, height, Handle());
    SendMessageW(infoLabel_, WM_SETFONT, reinterpret_cast<WPARAM>(labelFont_.Get()), FALSE);

    iconImg_ = ImageList_Create(paint::kMessageGlyphSize, paint::kMessageGlyphSize, ILC_COLOR24, 4, 0);
    for (const auto glyph : {paint::MessageGlyph::Exclamation, paint::MessageGlyph::Stop,
                             paint::MessageGlyph::Information, paint::MessageGlyph::Question}) {
        const HBITMAP bitmap = ToBitmap(paint::DrawMessageGlyph(glyph));
        ImageList_Add(iconImg_, bitmap, nullptr);
        DeleteObject(bitmap);
    }
}

TMsgBox::~TMsgBox() {
    ImageList_Destroy(iconImg_);
}

// The window expects a button "But1"; without one there is nothing to focus.
void TMsgBox::FormShow() {
    const HWND button = GetDlgItem(Handle(), kBut1);
    wchar_t className[16] = {};
    if (button != nullptr && GetClassNameW(button, className, 16) > 0 && _wcsicmp(className, L"Button") == 0)
        SetFocus(button);
}

LRESULT TMsgBox::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SHOWWINDOW && wParam) {
        const LRESULT result = Default(message, wParam, lParam);
        FormShow();
        return result;
    }
    return Default(message, wParam, lParam);
}

} // namespace miran::win32
