#include "win32/GradientProgress.h"

#include "ControlTestSupport.h"

#include <gtest/gtest.h>

using namespace miran::paint;
using namespace miran::win32::test;
using miran::win32::GdiCanvas;
using miran::win32::TGradientProgress;

namespace {

// The main window's bar: 94 x 15, solid, green to lime.
class GradientProgressTest : public testing::Test {
protected:
    GradientProgressTest() {
        bar_.setSolid(true);
        bar_.setStartColor(clGreen);
        bar_.setEndColor(clLime);
        bar_.setMaximum(8704);
    }

    void ExpectColumns(const Picture& picture, int x0, int x1, TColor c) {
        for (int x = x0; x < x1; ++x) {
            for (int y = 1; y < picture.height - 1; ++y)
                ASSERT_EQ(picture.At(x, y), c) << "x " << x << ", y " << y;
        }
    }

    TestParent parent_;
    TGradientProgress bar_{parent_.Handle(), 253, 3, 94, 15};
};

} // namespace

TEST_F(GradientProgressTest, HalfwayTheGradientSpansTheFilledHalf) {
    bar_.setPosition(bar_.Maximum() / 2);
    EXPECT_EQ(bar_.FilledWidth(), 46);
    const Picture picture = Print(bar_.Handle());
    ExpectColumns(picture, 1, 2, TColor(0, 128, 0));
    ExpectColumns(picture, 2, 3, TColor(0, 131, 0));
    ExpectColumns(picture, 46, 47, TColor(0, 252, 0));
    ExpectColumns(picture, 47, 93, kParentColor); // the parent's colour, as it gives its static children
    for (int x = 0; x < 94; ++x) {
        ASSERT_EQ(picture.At(x, 0), kParentColor) << x;
        ASSERT_EQ(picture.At(x, 14), kParentColor) << x;
    }
}

// The control adds nothing to paint's picture: the same state drawn through a GDI canvas gives every pixel.
TEST_F(GradientProgressTest, ThePictureIsPaintsWithTheControlsColours) {
    bar_.setSolid(false);
    bar_.setBorderStyle(TBorderStyle::bsSingle);
    bar_.setTextOption(TTextOption::toPercent);
    bar_.setColor(clNavy);
    bar_.setFontColor(clYellow);
    bar_.setPosition(6000);
    GradientProgress expected;
    expected.SetClientSize(94, 15);
    expected.SizeChanged();
    expected.SetStartRgb(clGreen);
    expected.SetEndRgb(clLime);
    expected.SetBorderStyle(TBorderStyle::bsSingle);
    expected.SetTextOption(TTextOption::toPercent);
    expected.SetMaximum(8704);
    expected.SetPosition(6000);
    const Picture picture = Render(94, 15, [&](HDC dc) {
        GdiCanvas canvas(dc);
        expected.Draw(canvas, {clNavy, bar_.Font(), clYellow});
    });
    EXPECT_TRUE(Print(bar_.Handle()) == picture);
    EXPECT_FALSE(bar_.ParentColor());
    bar_.setParentColor(true);
    EXPECT_EQ(bar_.Color(), kParentColor);
}

TEST_F(GradientProgressTest, ASizeChangeLaysTheFillOutAgain) {
    bar_.setPosition(bar_.Maximum());
    EXPECT_EQ(bar_.FilledWidth(), 92);
    SetWindowPos(bar_.Handle(), nullptr, 0, 0, 50, 15, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(bar_.FilledWidth(), 48);
    const Picture picture = Print(bar_.Handle());
    ExpectColumns(picture, 48, 49, TColor(0, 252, 0));
    ExpectColumns(picture, 49, 50, kParentColor);
}
