#include "paint/MessageGlyph.h"

#include <gtest/gtest.h>
#include <vector>

using namespace miran::paint;

namespace {

struct Pixel {
    int x, y;
    TColor color = clBlack;
};

} // namespace

TEST(MessageGlyphTest, SignsInABubbleAndAStopDisc) {
    struct Case {
        MessageGlyph glyph;
        std::vector<Pixel> pixels;
    };
    const Case cases[] = {
        {MessageGlyph::Exclamation,
         {{0, 0},
          {3, 13, clGray},
          {28, 13, clGray},
          {16, 3, clGray},
          {9, 26, clGray},
          {6, 13},
          {16, 7, clBlue},
          {16, 18, clBlue},
          {16, 16}}},
        {MessageGlyph::Information, {{0, 0}, {3, 13, clGray}, {16, 7, clBlue}, {16, 9}, {14, 11, clBlue}}},
        {MessageGlyph::Question, {{0, 0}, {3, 13, clGray}, {12, 9, clBlue}, {16, 16}, {16, 18, clBlue}}},
        {MessageGlyph::Stop, {{0, 0}, {16, 4, clRed}, {4, 16, clRed}, {16, 16}, {11, 11}, {21, 11}, {2, 2}}},
    };
    for (const Case& c : cases) {
        const Bitmap image = DrawMessageGlyph(c.glyph);
        ASSERT_EQ(image.width, 32);
        ASSERT_EQ(image.height, 32);
        for (const Pixel& p : c.pixels)
            EXPECT_EQ(image.At(p.x, p.y), p.color) << static_cast<int>(c.glyph) << ": " << p.x << ", " << p.y;
    }
}
