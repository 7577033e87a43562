#pragma once

#include "paint/Canvas.h"

namespace miran::fuzz {

// A canvas that draws nothing, with plain metrics: a byte is as wide as the font size, a line the
// size plus 4 high. It checks that the painting code stays inside the picture it was given.
class NullCanvas final : public paint::Canvas {
public:
    int TextWidth(std::string_view text, const paint::Font& font) override {
        return static_cast<int>(text.size()) * font.size;
    }
    int TextHeight(const paint::Font& font) override { return font.size + 4; }
    void FillRect(const paint::TRect&, paint::TColor) override {}
    void DrawText(paint::TPoint, std::string_view, const paint::Font&, paint::TColor) override {}
    void DrawMaskedBitmap(paint::TPoint, const paint::Bitmap&, const paint::Bitmap&) override {}
};

} // namespace miran::fuzz
