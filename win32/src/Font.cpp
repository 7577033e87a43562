#include "win32/Font.h"

#include "win32/Text.h"

#include <algorithm>
#include <string>

namespace miran::win32 {

LOGFONTW ToLogFont(const paint::Font& font, int pixelsPerInch) {
    LOGFONTW description{};
    // Negative: the character height without the internal leading, as a point size means.
    description.lfHeight = font.sizeInPixels ? -font.size : -MulDiv(font.size, pixelsPerInch, 72);
    description.lfWeight = font.bold ? FW_BOLD : FW_NORMAL;
    description.lfItalic = font.italic;
    description.lfUnderline = font.underline;
    description.lfStrikeOut = font.strikeOut;
    description.lfCharSet = DEFAULT_CHARSET;
    const std::wstring family = ToUtf16(font.family).substr(0, LF_FACESIZE - 1);
    std::copy(family.begin(), family.end(), description.lfFaceName);
    return description;
}

namespace {

int ScreenPixelsPerInch() {
    const HDC screen = GetDC(nullptr);
    const int result = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return result;
}

} // namespace

FontHandle::FontHandle(const paint::Font& font) : font_(font) {
    const LOGFONTW description = ToLogFont(font, ScreenPixelsPerInch());
    handle_ = CreateFontIndirectW(&description);
}

FontHandle::~FontHandle() {
    DeleteObject(handle_);
}

paint::Font PointFont(const char* family, int points, bool bold) {
    paint::Font font;
    font.family = family;
    font.size = points;
    font.bold = bold;
    return font;
}

paint::Font PixelFont(const char* family, int pixels, bool bold) {
    paint::Font font = PointFont(family, pixels, bold);
    font.sizeInPixels = true;
    return font;
}

} // namespace miran::win32
