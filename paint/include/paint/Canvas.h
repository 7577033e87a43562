#pragma once

#include "paint/Bitmap.h"
#include "paint/Color.h"
#include "paint/Font.h"
#include "paint/Geometry.h"

#include <string_view>

// Windows' headers define DrawText as a macro for DrawTextA or DrawTextW; it must not rename the member
// below.
#undef DrawText

namespace miran::paint {

// The font metrics the painting code lays text out with.
class TextMeasure {
public:
    virtual ~TextMeasure() = default;
    // The advance of a UTF-8 text.
    virtual int TextWidth(std::string_view text, const Font& font) = 0;
    // The full character cell height of the font.
    virtual int TextHeight(const Font& font) = 0;
};

// What the painting code draws through; a front end implements it over its toolkit. System
// colours are resolved by the canvas when it draws them.
class Canvas : public TextMeasure {
public:
    virtual void FillRect(const TRect& rect, TColor color) = 0;
    // A UTF-8 text whose character cell starts at topLeft; the background is left as it is.
    virtual void DrawText(TPoint topLeft, std::string_view text, const Font& font, TColor color) = 0;
    // The image's pixels where the mask is black; the rest stays as it is.
    virtual void DrawMaskedBitmap(TPoint topLeft, const Bitmap& image, const Bitmap& mask) = 0;
};

} // namespace miran::paint
