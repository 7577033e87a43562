#pragma once

#include "paint/Font.h"
#include "win32/Windows.h"

namespace miran::win32 {

// The GDI description of a font; a point size is taken at that many pixels per inch.
LOGFONTW ToLogFont(const paint::Font& font, int pixelsPerInch);

// A GDI font made from a paint::Font at the screen's resolution, deleted with this object; what controls
// take by WM_SETFONT.
class FontHandle {
public:
    explicit FontHandle(const paint::Font& font);
    ~FontHandle();
    FontHandle(const FontHandle&) = delete;
    FontHandle& operator=(const FontHandle&) = delete;

    HFONT Get() const { return handle_; }
    const paint::Font& Font() const { return font_; }

private:
    paint::Font font_;
    HFONT handle_;
};

// A font of that family and size in points.
paint::Font PointFont(const char* family, int points, bool bold = false);
// A font of that family whose characters are that many pixels high.
paint::Font PixelFont(const char* family, int pixels, bool bold = false);

} // namespace miran::win32
