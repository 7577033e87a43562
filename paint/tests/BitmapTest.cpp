#include "paint/Bitmap.h"

#include "RecordingCanvas.h"

#include <gtest/gtest.h>

using namespace miran::paint;

TEST(Bitmap, TheLampBitmapsAreEmbedded) {
    const Bitmap lamp = LoadBitmapResource("LEDGREEN");
    const Bitmap mask = LoadBitmapResource("LEDMASK");
    ASSERT_EQ(lamp.width, 17);
    ASSERT_EQ(lamp.height, 17);
    ASSERT_EQ(mask.width, 17);
    // Rows from the top: row 2 is the top of the outline, columns 6 to 10.
    EXPECT_EQ(lamp.At(6, 2), clGray);
    EXPECT_EQ(lamp.At(5, 2), clBlack);
    EXPECT_EQ(lamp.At(6, 5), clWhite);
    EXPECT_EQ(lamp.At(8, 10), clLime);
    EXPECT_EQ(mask.At(6, 2), clBlack);
    EXPECT_EQ(mask.At(5, 2), clWhite);
    // Row 14 is one column wider than row 2.
    EXPECT_EQ(lamp.At(11, 14), clGray);
    EXPECT_EQ(mask.At(11, 14), clBlack);
}

TEST(Bitmap, OtherBytesGiveAnEmptyBitmap) {
    const std::uint8_t notABitmap[] = {'B', 'M', 0, 0};
    EXPECT_EQ(DecodeBitmap(notABitmap).width, 0);
    EXPECT_EQ(LoadBitmapResource("NOSUCHBITMAP").width, 0);
}
