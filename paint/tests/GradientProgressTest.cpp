#include "paint/GradientProgress.h"

#include "RecordingCanvas.h"

#include <gtest/gtest.h>

using namespace miran::paint;

namespace {

const TColor kBackground(200, 190, 180);

class GradientProgressTest : public testing::Test {
protected:
    GradientProgressTest() { Resize(150, 15); }

    void Resize(int width, int height) {
        bar_.SetClientSize(width, height);
        bar_.SizeChanged();
        width_ = width;
        height_ = height;
    }

    // The main window's progress bar.
    void MakePBar() {
        Resize(94, 15);
        bar_.SetSolid(true);
        bar_.SetStartRgb(clGreen);
        bar_.SetEndRgb(clLime);
        bar_.SetMaximum(8704);
    }

    RecordingCanvas Picture() {
        RecordingCanvas canvas(width_, height_, clBlack);
        bar_.Draw(canvas, {kBackground, Font{}, clBlack});
        return canvas;
    }

    // Every pixel of the inner rows in columns [x0, x1) has colour c.
    void ExpectColumns(const RecordingCanvas& canvas, int x0, int x1, TColor c) {
        for (int x = x0; x < x1; ++x) {
            for (int y = 1; y < height_ - 1; ++y)
                ASSERT_EQ(canvas.At(x, y), c) << "x " << x << ", y " << y;
        }
    }

    void ExpectFrame(const RecordingCanvas& canvas, TColor c) {
        for (int x = 0; x < width_; ++x) {
            ASSERT_EQ(canvas.At(x, 0), c) << x;
            ASSERT_EQ(canvas.At(x, height_ - 1), c) << x;
        }
        for (int y = 0; y < height_; ++y) {
            ASSERT_EQ(canvas.At(0, y), c) << y;
            ASSERT_EQ(canvas.At(width_ - 1, y), c) << y;
        }
    }

    GradientProgress bar_;
    int width_ = 0;
    int height_ = 0;
};

} // namespace

TEST_F(GradientProgressTest, HalfFullPBar) {
    MakePBar();
    bar_.SetPosition(bar_.Maximum() / 2);
    EXPECT_EQ(bar_.FilledWidth(), 46);
    const RecordingCanvas image = Picture();
    ExpectColumns(image, 1, 2, TColor(0, 128, 0));
    // Offset k has G = 128 + k * 127 / 46, rounded halves to even.
    ExpectColumns(image, 2, 3, TColor(0, 131, 0));
    ExpectColumns(image, 46, 47, TColor(0, 252, 0));
    ExpectColumns(image, 47, 93, kBackground);
    ExpectFrame(image, kBackground);
}

TEST_F(GradientProgressTest, FullPBarEndsOneStepShortOfTheEndColour) {
    MakePBar();
    bar_.SetPosition(bar_.Maximum());
    EXPECT_EQ(bar_.FilledWidth(), 92);
    const RecordingCanvas image = Picture();
    ExpectColumns(image, 1, 2, TColor(0, 128, 0));
    ExpectColumns(image, 92, 93, TColor(0, 254, 0));
    ExpectFrame(image, kBackground);
}

TEST_F(GradientProgressTest, GradientColumnsRoundHalvesToEven) {
    Resize(10, 5); // 8 columns: steps of 255 / 8 = 31.875
    bar_.SetSolid(true);
    bar_.SetStartRgb(clBlack);
    bar_.SetEndRgb(clWhite);
    bar_.SetPosition(100);
    const RecordingCanvas image = Picture();
    const std::uint8_t expected[8] = {0, 32, 64, 96, 128, 159, 191, 223};
    for (int k = 0; k < 8; ++k)
        EXPECT_EQ(image.At(1 + k, 2), TColor(expected[k], expected[k], expected[k])) << k;
}

TEST_F(GradientProgressTest, APartialLastBlockContinuesTheGradient) {
    Resize(130, 15); // 128 inner columns: 12 full blocks and an 8-pixel one
    bar_.SetStartRgb(TColor(101, 60, 0));
    bar_.SetEndRgb(TColor(109, 52, 0)); // 1 / 16 and -1 / 16 per column
    bar_.SetPosition(100);
    ASSERT_EQ(bar_.FilledWidth(), 128);
    ASSERT_TRUE(bar_.LastBlockPartial());
    ASSERT_EQ(bar_.LastBlockWidth(), 8);

    const std::uint8_t red[12] = {101, 102, 102, 103, 104, 104, 105, 105, 106, 107, 107, 108};
    const std::uint8_t green[12] = {60, 59, 59, 58, 58, 57, 56, 56, 55, 54, 54, 53};
    RecordingCanvas image = Picture();
    for (int i = 0; i < 12; ++i)
        ExpectColumns(image, 1 + i * 10, i * 10 + 10, TColor(red[i], green[i], 0));
    ExpectColumns(image, 121, 129, TColor(108, 52, 0));

    bar_.SetGradientBlocks(true);
    image = Picture();
    ExpectColumns(image, 121, 122, TColor(108, 52, 0));
    ExpectColumns(image, 122, 129, TColor(109, 52, 0));
    ExpectFrame(image, kBackground);
}

TEST_F(GradientProgressTest, RangeClamping) {
    MakePBar();
    bar_.SetPosition(100000);
    EXPECT_EQ(bar_.Position(), 8704);
    EXPECT_EQ(bar_.FilledWidth(), 92);
    bar_.SetPosition(-5);
    EXPECT_EQ(bar_.Position(), 0);
    EXPECT_EQ(bar_.FilledWidth(), 0);
    const RecordingCanvas image = Picture();
    ExpectColumns(image, 1, 93, kBackground);
    ExpectFrame(image, kBackground);

    bar_.SetMinimum(10);
    bar_.SetPosition(60);
    const int filled = bar_.FilledWidth();
    bar_.SetMaximum(5);
    EXPECT_EQ(bar_.Maximum(), 10);
    EXPECT_EQ(bar_.Position(), 10);
    EXPECT_EQ(bar_.PercentDone(), 0);
    EXPECT_EQ(bar_.FilledWidth(), filled);
}

TEST_F(GradientProgressTest, PercentDoneRoundsHalvesAwayFromZero) {
    bar_.SetMaximum(8);
    bar_.SetPosition(1); // 12.5
    EXPECT_EQ(bar_.PercentDone(), 13);
    bar_.SetMinimum(-8);
    bar_.SetMaximum(0);
    bar_.SetPosition(-3); // 62.5
    EXPECT_EQ(bar_.PercentDone(), 63);
}

TEST_F(GradientProgressTest, BlockModeAdvancesInWholeBlocks) {
    bar_.SetStartRgb(clRed);
    bar_.SetEndRgb(clRed);
    struct Case {
        int position, filled, blocks;
        bool partial;
    };
    for (const Case& c :
         {Case{50, 70, 7, false}, Case{53, 80, 8, false}, Case{100, 148, 15, true}, Case{0, 0, 0, false}}) {
        bar_.SetPosition(c.position);
        EXPECT_EQ(bar_.FilledWidth(), c.filled) << c.position;
        EXPECT_EQ(bar_.BlockCount(), c.blocks) << c.position;
        EXPECT_EQ(bar_.BlockWidth(), 10) << c.position;
        if (c.blocks > 0) {
            EXPECT_EQ(bar_.LastBlockPartial(), c.partial) << c.position;
        }
    }

    bar_.SetPosition(100); // 14 full blocks and an 8-pixel one up to the inner right edge
    const RecordingCanvas image = Picture();
    for (int i = 0; i < 14; ++i) {
        ExpectColumns(image, 1 + i * 10, i * 10 + 10, clRed);
        ExpectColumns(image, i * 10 + 10, i * 10 + 11, kBackground);
    }
    ExpectColumns(image, 141, 149, clRed);
    ExpectFrame(image, kBackground);
}

TEST_F(GradientProgressTest, ASingleBorderHasThreeRingsOfSystemColours) {
    bar_.SetBorderStyle(TBorderStyle::bsSingle);
    bar_.SetSolid(true);
    bar_.SetStartRgb(clRed);
    bar_.SetEndRgb(clRed);
    bar_.SetPosition(100);
    const RecordingCanvas image = Picture();
    const int r = 149, b = 14;
    EXPECT_EQ(image.At(0, 0), clBtnFace);
    EXPECT_EQ(image.At(r, b), clBtnFace);
    EXPECT_EQ(image.At(1, 1), clBtnShadow);
    EXPECT_EQ(image.At(r - 1, 1), clBtnHighlight); // far corner takes the second colour
    EXPECT_EQ(image.At(1, b - 1), clBtnHighlight);
    EXPECT_EQ(image.At(2, 2), cl3DDkShadow);
    EXPECT_EQ(image.At(r - 2, b - 2), clBtnFace);
    EXPECT_EQ(image.At(3, 3), clRed);
}

TEST_F(GradientProgressTest, CaptionTextIsCentredOnTheFillOrTheBar) {
    Font font;
    font.size = 6; // 6 pixels a character, 10 high
    bar_.SetTextOption(TTextOption::toPercent);
    RecordingCanvas canvas(150, 15);
    bar_.Draw(canvas, {kBackground, font, clBlue});
    ASSERT_EQ(canvas.texts.size(), 1u);
    EXPECT_EQ(canvas.texts[0].text, "0%");
    EXPECT_EQ(canvas.texts[0].at, (TPoint{0, 2})); // an empty bar: x = 0
    EXPECT_EQ(canvas.texts[0].color, clBlue);

    bar_.SetCaption("%d of 100");
    bar_.SetTextOption(TTextOption::toFormat);
    bar_.SetTextCentered(true);
    bar_.SetPosition(7);
    canvas.texts.clear();
    bar_.Draw(canvas, {kBackground, font, clBlue});
    ASSERT_EQ(canvas.texts.size(), 1u);
    EXPECT_EQ(canvas.texts[0].text, "7 of 100");
    EXPECT_EQ(canvas.texts[0].at, (TPoint{(150 - 48) / 2, 2}));
}

TEST_F(GradientProgressTest, OnlyAChangeOfTheFillOrAShownPercentageRedraws) {
    MakePBar();
    bar_.TakeRedraw();
    bar_.SetPosition(40); // less than half a column of 8704
    EXPECT_FALSE(bar_.TakeRedraw());
    bar_.SetPosition(200);
    EXPECT_TRUE(bar_.TakeRedraw());
    bar_.SetTextOption(TTextOption::toPercent);
    EXPECT_TRUE(bar_.TakeRedraw());
    bar_.SetPosition(210); // still 2 % and the same column
    EXPECT_FALSE(bar_.TakeRedraw());
    bar_.SetPosition(400); // 5 %
    EXPECT_TRUE(bar_.TakeRedraw());
    bar_.SetTextCentered(true);
    bar_.SetTextOption(TTextOption::toNoText);
    bar_.TakeRedraw();
    bar_.SetTextCentered(false); // no text: nothing to move
    EXPECT_FALSE(bar_.TakeRedraw());
}
