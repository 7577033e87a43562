#include "win32/GdiCanvas.h"

#include "LampShape.h"
#include "RecordingCanvas.h"
#include "paint/GradientProgress.h"
#include "paint/Lamp.h"

#include <cstdint>
#include <gtest/gtest.h>

using namespace miran::paint;
using miran::win32::GdiCanvas;
using miran::win32::ToColorRef;

namespace {

const TColor kBackground(10, 20, 30);

TColor FromColorRef(COLORREF c) {
    return TColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

// A memory device context over a top-down 32-bit DIB section that the test reads back.
class GdiCanvasTest : public testing::Test {
protected:
    void Make(int width, int height, TColor background = kBackground) {
        Release();
        width_ = width;
        height_ = height;
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        dc_ = CreateCompatibleDC(nullptr);
        ASSERT_NE(dc_, nullptr);
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        ASSERT_NE(bitmap_, nullptr);
        bits_ = static_cast<const std::uint32_t*>(bits);
        previous_ = SelectObject(dc_, bitmap_);
        GdiCanvas(dc_).FillRect({0, 0, width, height}, background);
    }
    ~GdiCanvasTest() override { Release(); }

    TColor At(int x, int y) const {
        GdiFlush();
        const std::uint32_t p = bits_[y * width_ + x];
        return TColor((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }

    void ExpectColumns(int x0, int x1, TColor c) const {
        for (int x = x0; x < x1; ++x) {
            for (int y = 1; y < height_ - 1; ++y)
                ASSERT_EQ(At(x, y), c) << "x " << x << ", y " << y;
        }
    }

    void DrawBar(const GradientProgress& bar) {
        GdiCanvas canvas(dc_);
        bar.Draw(canvas, {kBackground, Font{}, clBlack});
    }

    void Release() {
        if (dc_ != nullptr) {
            SelectObject(dc_, previous_);
            DeleteObject(bitmap_);
            DeleteDC(dc_);
            dc_ = nullptr;
        }
    }

    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    const std::uint32_t* bits_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

} // namespace

TEST_F(GdiCanvasTest, FillsIncludeTheLeftAndTopEdgesOnly) {
    Make(20, 10);
    GdiCanvas canvas(dc_);
    canvas.FillRect({2, 3, 6, 5}, clRed);
    canvas.FillRect({8, 1, 8, 9}, clBlue);             // empty
    canvas.FillRect({10, 0, 11, 10}, TColor(1, 2, 3)); // a one-pixel line
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 20; ++x) {
            TColor expected = kBackground;
            if (x >= 2 && x < 6 && y >= 3 && y < 5)
                expected = clRed;
            else if (x == 10)
                expected = TColor(1, 2, 3);
            ASSERT_EQ(At(x, y), expected) << "x " << x << ", y " << y;
        }
    }
}

TEST_F(GdiCanvasTest, SystemColoursComeFromTheSystem) {
    Make(4, 1);
    GdiCanvas canvas(dc_);
    const TColor colours[] = {clBtnFace, clBtnShadow, clBtnHighlight, cl3DDkShadow};
    for (int i = 0; i < 4; ++i)
        canvas.FillRect({i, 0, i + 1, 1}, colours[i]);
    const int indices[] = {COLOR_BTNFACE, COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT, COLOR_3DDKSHADOW};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(At(i, 0), FromColorRef(GetSysColor(indices[i]))) << i;
}

TEST_F(GdiCanvasTest, TheLampShowsThroughItsMask) {
    Lamp lamp([](TColor c) { return FromColorRef(ToColorRef(c)); });
    struct Case {
        int width, height;
        bool on;
        TColor expected;
    };
    for (const Case& c :
         {Case{17, 17, true, clLime}, Case{20, 20, false, clRed}, Case{11, 12, true, clLime}}) {
        lamp.SetStatus(c.on);
        Make(c.width, c.height);
        GdiCanvas canvas(dc_);
        lamp.Draw(canvas, c.width, c.height);
        for (int y = 0; y < c.height; ++y) {
            for (int x = 0; x < c.width; ++x)
                ASSERT_EQ(At(x, y), ExpectedLampPixel(x, y, c.width, c.height, c.expected, kBackground))
                    << c.width << " x " << c.height << ": x " << x << ", y " << y;
        }
    }
}

TEST_F(GdiCanvasTest, GradientColumnsOfTheMainWindowsBar) {
    GradientProgress bar;
    bar.SetClientSize(94, 15);
    bar.SizeChanged();
    bar.SetSolid(true);
    bar.SetStartRgb(clGreen);
    bar.SetEndRgb(clLime);
    bar.SetMaximum(8704);
    bar.SetPosition(bar.Maximum() / 2);
    Make(94, 15, clBlack);
    DrawBar(bar);
    ExpectColumns(1, 2, TColor(0, 128, 0));
    ExpectColumns(2, 3, TColor(0, 131, 0));
    ExpectColumns(46, 47, TColor(0, 252, 0));
    ExpectColumns(47, 93, kBackground);
    for (int x = 0; x < 94; ++x) {
        ASSERT_EQ(At(x, 0), kBackground) << x;
        ASSERT_EQ(At(x, 14), kBackground) << x;
    }
}

TEST_F(GdiCanvasTest, GradientColumnsRoundHalvesToEven) {
    GradientProgress bar;
    bar.SetClientSize(10, 5);
    bar.SizeChanged();
    bar.SetSolid(true);
    bar.SetStartRgb(clBlack);
    bar.SetEndRgb(clWhite);
    bar.SetPosition(100);
    Make(10, 5, clBlack);
    DrawBar(bar);
    const std::uint8_t expected[8] = {0, 32, 64, 96, 128, 159, 191, 223};
    for (int k = 0; k < 8; ++k)
        EXPECT_EQ(At(1 + k, 2), TColor(expected[k], expected[k], expected[k])) << k;
}

TEST_F(GdiCanvasTest, BlocksWithGapsAndAPartialLastBlock) {
    GradientProgress bar;
    bar.SetClientSize(150, 15);
    bar.SizeChanged();
    bar.SetStartRgb(clRed);
    bar.SetEndRgb(clRed);
    bar.SetPosition(100);
    Make(150, 15, clBlack);
    DrawBar(bar);
    for (int i = 0; i < 14; ++i) {
        ExpectColumns(1 + i * 10, i * 10 + 10, clRed);
        ExpectColumns(i * 10 + 10, i * 10 + 11, kBackground);
    }
    ExpectColumns(141, 149, clRed);
}

TEST_F(GdiCanvasTest, ASingleBorderHasThreeRingsOfSystemColours) {
    GradientProgress bar;
    bar.SetClientSize(150, 15);
    bar.SizeChanged();
    bar.SetBorderStyle(TBorderStyle::bsSingle);
    bar.SetSolid(true);
    bar.SetStartRgb(clRed);
    bar.SetEndRgb(clRed);
    bar.SetPosition(100);
    Make(150, 15, clBlack);
    DrawBar(bar);
    const auto system = [](TColor c) { return FromColorRef(ToColorRef(c)); };
    const int r = 149, b = 14;
    EXPECT_EQ(At(0, 0), system(clBtnFace));
    EXPECT_EQ(At(r, b), system(clBtnFace));
    EXPECT_EQ(At(1, 1), system(clBtnShadow));
    EXPECT_EQ(At(r - 1, 1), system(clBtnHighlight));
    EXPECT_EQ(At(1, b - 1), system(clBtnHighlight));
    EXPECT_EQ(At(2, 2), system(cl3DDkShadow));
    EXPECT_EQ(At(r - 2, b - 2), system(clBtnFace));
    EXPECT_EQ(At(3, 3), clRed);
}

TEST_F(GdiCanvasTest, TextMeasuresAndDrawsInsideItsCell) {
    Make(120, 40);
    GdiCanvas canvas(dc_);
    Font font;
    font.family = "Tahoma";
    const int width = canvas.TextWidth("Miran ISP", font), height = canvas.TextHeight(font);
    EXPECT_GT(width, 0);
    EXPECT_GT(height, 0);
    EXPECT_GT(canvas.TextWidth("Miran ISP Up", font), width);
    EXPECT_EQ(canvas.TextWidth("", font), 0);
    Font bold = font;
    bold.bold = true;
    EXPECT_GE(canvas.TextWidth("Miran ISP", bold), width);
    Font pixels = font;
    pixels.sizeInPixels = true;
    pixels.size = 24;
    EXPECT_GE(canvas.TextHeight(pixels), 24);

    const TPoint at{10, 5};
    canvas.DrawText(at, "Miran ISP", font, clYellow);
    int changed = 0;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 120; ++x) {
            if (At(x, y) == kBackground)
                continue;
            ++changed;
            ASSERT_TRUE(x >= at.X && x < at.X + width && y >= at.Y && y < at.Y + height)
                << "x " << x << ", y " << y;
            ASSERT_NE(At(x, y), clWhite) << "the background is left as it is";
        }
    }
    EXPECT_GT(changed, 0);
}
