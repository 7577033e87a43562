#include "win32/GdiCanvas.h"

#include "win32/Font.h"
#include "win32/Text.h"

#include <algorithm>
#include <cstdint>

namespace miran::win32 {
namespace {

// Selects a GDI object for one call and puts the previous one back.
class Selected {
public:
    Selected(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~Selected() { SelectObject(dc_, previous_); }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// A top-down 32-bit image of the bitmap's size, each pixel from pixel(x, y), for StretchDIBits.
struct Dib {
    BITMAPINFO info{};
    std::vector<std::uint32_t> pixels;

    template <class Pixel> Dib(const paint::Bitmap& image, Pixel pixel) {
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = image.width;
        info.bmiHeader.biHeight = -image.height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        pixels.reserve(static_cast<std::size_t>(image.width * image.height));
        for (int y = 0; y < image.height; ++y) {
            for (int x = 0; x < image.width; ++x) {
                const COLORREF c = pixel(x, y);
                pixels.push_back(
                    static_cast<std::uint32_t>(GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c)));
            }
        }
    }

    void Draw(HDC dc, paint::TPoint at, DWORD rop) const {
        const int w = info.bmiHeader.biWidth, h = -info.bmiHeader.biHeight;
        StretchDIBits(dc, at.X, at.Y, w, h, 0, 0, w, h, pixels.data(), &info, DIB_RGB_COLORS, rop);
    }
};

} // namespace

COLORREF ToColorRef(paint::TColor color) {
    if (color.IsSystem())
        return GetSysColor(static_cast<int>(color.SystemIndex()));
    return RGB(color.Red(), color.Green(), color.Blue());
}

paint::TColor Resolve(paint::TColor color) {
    const COLORREF c = ToColorRef(color);
    return paint::TColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

GdiCanvas::GdiCanvas(HDC dc) : dc_(dc) {}

GdiCanvas::~GdiCanvas() {
    for (const auto& [font, handle] : fonts_)
        DeleteObject(handle);
}

HFONT GdiCanvas::FontFor(const paint::Font& font) {
    const auto known =
        std::find_if(fonts_.begin(), fonts_.end(), [&](const auto& f) { return f.first == font; });
    if (known != fonts_.end())
        return known->second;
    const LOGFONTW description = ToLogFont(font, GetDeviceCaps(dc_, LOGPIXELSY));
    const HFONT handle = CreateFontIndirectW(&description);
    fonts_.emplace_back(font, handle);
    return handle;
}

int GdiCanvas::TextWidth(std::string_view text, const paint::Font& font) {
    const Selected selected(dc_, FontFor(font));
    const std::wstring wide = ToUtf16(text);
    SIZE size{};
    GetTextExtentPoint32W(dc_, wide.c_str(), static_cast<int>(wide.size()), &size);
    return size.cx;
}

int GdiCanvas::TextHeight(const paint::Font& font) {
    const Selected selected(dc_, FontFor(font));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc_, &metrics);
    return metrics.tmHeight;
}

void GdiCanvas::FillRect(const paint::TRect& rect, paint::TColor color) {
    if (rect.IsEmpty())
        return;
    const HBRUSH brush = CreateSolidBrush(ToColorRef(color));
    const RECT r{rect.Left, rect.Top, rect.Right, rect.Bottom};
    ::FillRect(dc_, &r, brush);
    DeleteObject(brush);
}

void GdiCanvas::DrawText(paint::TPoint topLeft, std::string_view text, const paint::Font& font,
                         paint::TColor color) {
    const Selected selected(dc_, FontFor(font));
    const int mode = SetBkMode(dc_, TRANSPARENT);
    const COLORREF previous = SetTextColor(dc_, ToColorRef(color));
    const UINT align = SetTextAlign(dc_, TA_LEFT | TA_TOP | TA_NOUPDATECP);
    const std::wstring wide = ToUtf16(text);
    TextOutW(dc_, topLeft.X, topLeft.Y, wide.c_str(), static_cast<int>(wide.size()));
    SetTextAlign(dc_, align);
    SetTextColor(dc_, previous);
    SetBkMode(dc_, mode);
}

// Black where the lamp goes, then the image's pixels into that hole, as a masked icon is drawn.
void GdiCanvas::DrawMaskedBitmap(paint::TPoint topLeft, const paint::Bitmap& image,
                                 const paint::Bitmap& mask) {
    if (image.width <= 0 || image.height <= 0)
        return;
    const auto lamp = [&](int x, int y) {
        return x < mask.width && y < mask.height && mask.At(x, y) == paint::clBlack;
    };
    Dib(image, [&](int x, int y) {
        return lamp(x, y) ? RGB(0, 0, 0) : RGB(255, 255, 255);
    }).Draw(dc_, topLeft, SRCAND);
    Dib(image, [&](int x, int y) {
        return lamp(x, y) ? ToColorRef(image.At(x, y)) : RGB(0, 0, 0);
    }).Draw(dc_, topLeft, SRCPAINT);
}

} // namespace miran::win32
