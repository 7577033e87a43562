#pragma once

#include "paint/Canvas.h"
#include "win32/Windows.h"

#include <utility>
#include <vector>

namespace miran::win32 {

// The painting layer's canvas over a device context the caller owns. Point sizes follow the
// context's vertical resolution; system colours come from GetSysColor.
class GdiCanvas final : public paint::Canvas {
public:
    explicit GdiCanvas(HDC dc);
    ~GdiCanvas() override;
    GdiCanvas(const GdiCanvas&) = delete;
    GdiCanvas& operator=(const GdiCanvas&) = delete;

    int TextWidth(std::string_view text, const paint::Font& font) override;
    int TextHeight(const paint::Font& font) override;
    void FillRect(const paint::TRect& rect, paint::TColor color) override;
    void DrawText(paint::TPoint topLeft, std::string_view text, const paint::Font& font,
                  paint::TColor color) override;
    void DrawMaskedBitmap(paint::TPoint topLeft, const paint::Bitmap& image,
                          const paint::Bitmap& mask) override;

private:
    // Made on first use and kept while the canvas lives: markup switches fonts often.
    HFONT FontFor(const paint::Font& font);

    HDC dc_;
    std::vector<std::pair<paint::Font, HFONT>> fonts_;
};

// A colour as GDI takes it, a system colour looked up now.
COLORREF ToColorRef(paint::TColor color);
// The plain RGB value of a colour, a system colour looked up now.
paint::TColor Resolve(paint::TColor color);

} // namespace miran::win32
