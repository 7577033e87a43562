#include "win32/LED.h"

#include "ControlTestSupport.h"
#include "LampShape.h"

#include <gtest/gtest.h>

using namespace miran::paint;
using namespace miran::win32::test;
using miran::win32::TLED;

namespace {

void ExpectLamp(HWND led, TColor lamp) {
    const Picture picture = Print(led);
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x)
            ASSERT_EQ(picture.At(x, y),
                      ExpectedLampPixel(x, y, picture.width, picture.height, lamp, kParentColor))
                << picture.width << " x " << picture.height << ": x " << x << ", y " << y;
    }
}

void Tick(TLED& led) {
    SendMessageW(led.Handle(), WM_TIMER, 1, 0);
}

} // namespace

TEST(LEDTest, ALampOfItsOwnSizeOnTheParentsBackground) {
    TestParent parent;
    TLED led(parent.Handle(), 160, 25);
    const RECT place = PlaceInParent(led.Handle());
    EXPECT_EQ(place.left, 160);
    EXPECT_EQ(place.top, 25);
    EXPECT_EQ(place.right - place.left, 17);
    EXPECT_EQ(place.bottom - place.top, 17);
    ExpectLamp(led.Handle(), clLime);
    led.setStatus(false);
    ExpectLamp(led.Handle(), clRed);
    led.setColorOn(clYellow); // off: nothing visible changes
    ExpectLamp(led.Handle(), clRed);
    led.setStatus(true);
    ExpectLamp(led.Handle(), clYellow);
}

TEST(LEDTest, CentredInALargerControlCutInASmallerOne) {
    TestParent parent;
    TLED led(parent.Handle(), 0, 0);
    for (const int side : {20, 11}) {
        SetWindowPos(led.Handle(), nullptr, 0, 0, side, side, SWP_NOMOVE | SWP_NOZORDER);
        ExpectLamp(led.Handle(), clLime);
    }
    led.setAutoSize(true);
    const RECT place = PlaceInParent(led.Handle());
    EXPECT_EQ(place.right - place.left, 17);
    EXPECT_EQ(place.bottom - place.top, 17);
    SetWindowPos(led.Handle(), nullptr, 5, 6, 30, 30, SWP_NOZORDER);
    const RECT moved = PlaceInParent(led.Handle());
    EXPECT_EQ(moved.left, 5);
    EXPECT_EQ(moved.right - moved.left, 17);
}

TEST(LEDTest, TheBlinkTimerTogglesUnlessTheWindowIsMinimised) {
    TestParent parent;
    TLED led(parent.Handle(), 0, 0);
    int changes = 0;
    led.OnStatusChange = [&](TLED* sender) {
        EXPECT_EQ(sender, &led);
        ++changes;
    };
    led.setActive(true);
    Tick(led);
    EXPECT_FALSE(led.Status());
    ExpectLamp(led.Handle(), clRed);
    EXPECT_EQ(changes, 1);
    ShowWindow(parent.Handle(), SW_SHOWMINNOACTIVE);
    ASSERT_TRUE(IsIconic(parent.Handle()));
    Tick(led);
    EXPECT_FALSE(led.Status());
    EXPECT_EQ(changes, 1);
    ShowWindow(parent.Handle(), SW_RESTORE);
    Tick(led);
    EXPECT_TRUE(led.Status());
    led.setStatus(true); // every assignment is heard of
    EXPECT_EQ(changes, 3);
}

TEST(LEDTest, AnEqualColourDoesNotRebuildTheLamp) {
    TestParent parent;
    TLED led(parent.Handle(), 0, 0);
    const int built = led.RecolorCount();
    led.setColorOn(clLime);
    led.setColorOff(clRed);
    led.setStatus(true);
    EXPECT_EQ(led.RecolorCount(), built);
    led.setColor(clWhite);
    EXPECT_EQ(led.RecolorCount(), built + 1);
    ExpectLamp(led.Handle(), clWhite);
}
