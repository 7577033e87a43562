#include "win32/MarkupLabel.h"

#include "ControlTestSupport.h"
#include "core/ConvertError.h"
#include "win32/Font.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace miran::paint;
using namespace miran::win32::test;
using miran::win32::GdiCanvas;
using miran::win32::PointFont;
using miran::win32::TMarkupLabel;

namespace {

constexpr const char* kCaption = "Enter 13 Digits to use POLY-MCU<br>with Atmel-Studio";

LPARAM At(int x, int y) {
    return MAKELPARAM(x, y);
}

// The main window's label: its parent's font is bold Tahoma.
class MarkupLabelTest : public testing::Test {
protected:
    MarkupLabelTest() {
        label_.setFont(PointFont("Tahoma", 8, true));
        label_.setLinkOpener([this](const std::string& target) { opened_.push_back(target); });
        label_.OnHyperLinkClick = [this](TMarkupLabel*, const std::string& target) {
            clicked_.push_back(target);
        };
    }

    // paint's label picture with the control's style, on the parent's colour.
    Picture Expected(bool enabled, TPoint mouse = {}) {
        RECT client{};
        GetClientRect(label_.Handle(), &client);
        return Render(client.right, client.bottom, [&](HDC dc) {
            GdiCanvas canvas(dc);
            MarkupStyle style;
            style.font = label_.Font();
            style.fontColor = label_.FontColor();
            style.brushClear = true;
            DrawMarkupLabel(canvas, PlainStyle(style), {0, 0, client.right, client.bottom}, enabled,
                            kDefaultSuperSubScriptRatio, label_.Caption(), mouse);
        });
    }

    TestParent parent_;
    TMarkupLabel label_{parent_.Handle(), 144, 60, 171, 27};
    std::vector<std::string> opened_;
    std::vector<std::string> clicked_;
};

} // namespace

TEST_F(MarkupLabelTest, TheCaptionSizesTheLabelWithTheBoldFont) {
    label_.setCaption(kCaption);
    const HDC screen = GetDC(nullptr);
    GdiCanvas measure(screen);
    const Font bold = label_.Font();
    const int width = std::max(measure.TextWidth("Enter 13 Digits to use POLY-MCU", bold),
                               measure.TextWidth("with Atmel-Studio", bold));
    const int height = 2 * measure.TextHeight(bold) + 1;
    ReleaseDC(nullptr, screen);
    const RECT place = PlaceInParent(label_.Handle());
    EXPECT_EQ(place.left, 144);
    EXPECT_EQ(place.top, 60);
    EXPECT_EQ(place.right - place.left, width);
    EXPECT_EQ(place.bottom - place.top, height);
}

TEST_F(MarkupLabelTest, PaintsPaintsPictureOnTheParentEnabledAndDisabled) {
    label_.setCaption(kCaption);
    EXPECT_TRUE(Print(label_.Handle()) == Expected(true));
    EnableWindow(label_.Handle(), FALSE);
    EXPECT_TRUE(Print(label_.Handle()) == Expected(false));
}

TEST_F(MarkupLabelTest, AnOpaqueLabelFillsItsColour) {
    label_.setCaption("x");
    label_.setTransparent(false);
    EXPECT_EQ(label_.Color(), kParentColor);
    label_.setColor(clYellow);
    const Picture picture = Print(label_.Handle());
    EXPECT_EQ(picture.At(picture.width - 1, picture.height - 1), clYellow);
}

TEST_F(MarkupLabelTest, ACaptionThatCannotBeMeasuredIsRefused) {
    label_.setCaption(kCaption);
    EXPECT_THROW(label_.setCaption("<ind x=z>a"), miran::EConvertError);
    EXPECT_EQ(label_.Caption(), kCaption);
}

TEST_F(MarkupLabelTest, LinksTurnHotAndAreFollowed) {
    label_.setFont(PointFont("Tahoma", 8)); // drawn as measured: the last pixels are the last link's
    label_.setCaption("<a href=\"http://example.org/\">web</a> <a href=page>local</a>");
    const HWND handle = label_.Handle();
    SendMessageW(handle, WM_MOUSEMOVE, 0, At(3, 3));
    EXPECT_TRUE(label_.LinkHot());
    EXPECT_TRUE(SendMessageW(handle, WM_SETCURSOR, reinterpret_cast<WPARAM>(handle),
                             MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
    EXPECT_TRUE(Print(handle) == Expected(true, {3, 3})); // drawn red under the mouse
    EXPECT_FALSE(Print(handle) == Expected(true));
    SendMessageW(handle, WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(label_.LinkHot());
    SendMessageW(handle, WM_SETCURSOR, reinterpret_cast<WPARAM>(handle), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_ARROW));
    EXPECT_TRUE(Print(handle) == Expected(true));

    RECT client{};
    GetClientRect(handle, &client);
    SendMessageW(handle, WM_LBUTTONUP, 0, At(3, 3));
    SendMessageW(handle, WM_RBUTTONUP, 0, At(3, 3)); // not a link button
    SendMessageW(handle, WM_LBUTTONUP, 0, At(client.right - 3, 3));
    EXPECT_EQ(opened_, std::vector<std::string>{"http://example.org/"});
    EXPECT_EQ(clicked_, (std::vector<std::string>{"http://example.org/", "page"}));
}
