#include "paint/Lamp.h"

#include "LampShape.h"
#include "RecordingCanvas.h"

#include <gtest/gtest.h>

using namespace miran::paint;

namespace {

const TColor kBackground(10, 20, 30);

TColor Plain(TColor c) {
    return c.IsSystem() ? TColor(12, 34, 56) : c;
}

// Compares the lamp drawn in a control of that size with the shape.
void ExpectLamp(const Lamp& lamp, TColor color, int width = 17, int height = 17) {
    RecordingCanvas canvas(width, height, kBackground);
    lamp.Draw(canvas, width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const TColor expected = ExpectedLampPixel(x, y, width, height, color, kBackground);
            ASSERT_EQ(canvas.At(x, y), expected) << "x " << x << ", y " << y;
        }
    }
}

} // namespace

TEST(Lamp, DefaultsAndColours) {
    Lamp lamp(Plain);
    EXPECT_TRUE(lamp.Status());
    EXPECT_EQ(lamp.Color(), clLime);
    EXPECT_EQ(lamp.Interval(), 1000u);
    EXPECT_EQ(lamp.Width(), 17);
    ExpectLamp(lamp, clLime);
    lamp.SetStatus(false);
    ExpectLamp(lamp, clRed);
    lamp.SetColorOn(clYellow); // off: nothing visible changes
    ExpectLamp(lamp, clRed);
    lamp.SetStatus(true);
    ExpectLamp(lamp, clYellow);
    lamp.SetColorOn(clWhite); // body and highlight merge, the outline stays
    ExpectLamp(lamp, clWhite);
    lamp.SetColorOn(clBtnFace); // a system colour is looked up for the image
    ExpectLamp(lamp, TColor(12, 34, 56));
}

TEST(Lamp, AnEqualColourDoesNotRebuildTheImage) {
    Lamp lamp(Plain);
    const int builds = lamp.RecolorCount();
    EXPECT_FALSE(lamp.SetColorOn(clLime));
    EXPECT_FALSE(lamp.SetColorOff(clLime));
    EXPECT_FALSE(lamp.SetStatus(true));
    EXPECT_FALSE(lamp.SetColor(clLime));
    EXPECT_EQ(lamp.RecolorCount(), builds);
    EXPECT_FALSE(lamp.SetColorOff(clRed));
    EXPECT_TRUE(lamp.SetStatus(false));
    EXPECT_EQ(lamp.RecolorCount(), builds + 1);
}

TEST(Lamp, CentredInAnyControl) {
    Lamp lamp(Plain);
    ExpectLamp(lamp, clLime, 20, 20); // offset 1, 1
    ExpectLamp(lamp, clLime, 11, 12); // offsets -3, -2: the centre part
}

TEST(Lamp, BlinkRules) {
    Lamp lamp(Plain);
    EXPECT_FALSE(lamp.Blinking());
    lamp.SetActive(true);
    EXPECT_TRUE(lamp.Blinking());
    EXPECT_TRUE(lamp.Tick(false));
    EXPECT_FALSE(lamp.Status());
    EXPECT_EQ(lamp.Color(), clRed);
    EXPECT_FALSE(lamp.Tick(true)); // minimised: nothing happens
    EXPECT_FALSE(lamp.Status());
    EXPECT_TRUE(lamp.Tick(false));
    EXPECT_TRUE(lamp.Status());
    lamp.SetInterval(0); // would fire all the time
    EXPECT_FALSE(lamp.Blinking());
    lamp.SetInterval(500);
    EXPECT_TRUE(lamp.Blinking());
    lamp.SetActive(false);
    EXPECT_FALSE(lamp.Blinking());
}
