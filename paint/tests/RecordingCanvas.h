#pragma once

#include "paint/Canvas.h"

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

namespace miran::paint {

// A canvas with plain metrics that keeps the picture as pixels and every text it was given.
// A character (a UTF-8 code point) is as wide as the font size, one more when bold; a line is
// the size plus 4 high. System colours stay as they are.
class RecordingCanvas final : public Canvas {
public:
    struct Text {
        TPoint at;
        std::string text;
        Font font;
        TColor color;
    };

    RecordingCanvas(int width, int height, TColor background = clWhite)
        : width_(width), height_(height), pixels_(static_cast<std::size_t>(width * height), background) {}

    int TextWidth(std::string_view text, const Font& font) override {
        int characters = 0;
        for (char c : text)
            characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
        return characters * (font.size + (font.bold ? 1 : 0));
    }
    int TextHeight(const Font& font) override { return font.size + 4; }

    void FillRect(const TRect& rect, TColor color) override {
        for (int y = std::max(rect.Top, 0); y < std::min(rect.Bottom, height_); ++y) {
            for (int x = std::max(rect.Left, 0); x < std::min(rect.Right, width_); ++x)
                Set(x, y, color);
        }
    }
    void DrawText(TPoint topLeft, std::string_view text, const Font& font, TColor color) override {
        texts.push_back({topLeft, std::string(text), font, color});
    }
    void DrawMaskedBitmap(TPoint topLeft, const Bitmap& image, const Bitmap& mask) override {
        for (int y = 0; y < image.height; ++y) {
            for (int x = 0; x < image.width; ++x) {
                if (mask.At(x, y) == clBlack)
                    Set(topLeft.X + x, topLeft.Y + y, image.At(x, y));
            }
        }
    }

    TColor At(int x, int y) const { return pixels_[static_cast<std::size_t>(y * width_ + x)]; }

    std::vector<Text> texts;

private:
    void Set(int x, int y, TColor c) {
        if (x >= 0 && y >= 0 && x < width_ && y < height_)
            pixels_[static_cast<std::size_t>(y * width_ + x)] = c;
    }

    int width_;
    int height_;
    std::vector<TColor> pixels_;
};

inline void PrintTo(TColor c, std::ostream* os) {
    if (c.IsSystem())
        *os << "system colour " << static_cast<int>(c.SystemIndex());
    else
        *os << "rgb(" << int(c.Red()) << ", " << int(c.Green()) << ", " << int(c.Blue()) << ")";
}

} // namespace miran::paint
