#include "win32/StatusBar.h"

#include "ControlTestSupport.h"
#include "core/ComponentError.h"
#include "win32/Text.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace miran::win32::test;
using miran::win32::TAlignment;
using miran::win32::TStatusBar;
using miran::win32::TStatusPanelBevel;

namespace {

// A child window standing in for the progress bar.
HWND MakeChild(HWND parent, int width, int height) {
    return CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, width, height, parent, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

RECT Place(HWND control) {
    return PlaceInParent(control);
}

// The main window's bar: panels of 250 and 50, the second hosting a 94-pixel-wide control.
class StatusBarTest : public testing::Test {
protected:
    StatusBarTest() {
        bar_.setSizeGrip(false);
        bar_.AddPanel()->setWidth(250);
        bar_.AddPanel()->setWidth(50);
        bar_.Panel(1)->setControl(hosted_);
    }

    std::vector<int> Parts() const {
        std::vector<int> edges(static_cast<std::size_t>(SendMessageW(bar_.Handle(), SB_GETPARTS, 0, 0)));
        SendMessageW(bar_.Handle(), SB_GETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
        return edges;
    }

    std::string PartText(int index) const {
        wchar_t text[256] = {};
        SendMessageW(bar_.Handle(), SB_GETTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
        return miran::win32::ToUtf8(text);
    }

    int BarHeight() const {
        RECT client{};
        GetClientRect(bar_.Handle(), &client);
        return client.bottom;
    }

    void ExpectHostedAt(HWND control, int left, int top, int width = 94) const {
        const RECT place = Place(control);
        EXPECT_EQ(place.left, left);
        EXPECT_EQ(place.top, top);
        EXPECT_EQ(place.right - place.left, width);
        EXPECT_EQ(place.bottom - place.top, BarHeight() - 4);
    }

    TestParent parent_{349, 224};
    HWND hosted_ = MakeChild(parent_.Handle(), 94, 15);
    TStatusBar bar_{parent_.Handle()};
};

} // namespace

TEST_F(StatusBarTest, ThePartsAreThePanelsTheLastReachingTheRightEdge) {
    const RECT place = Place(bar_.Handle());
    EXPECT_EQ(place.left, 0);
    EXPECT_EQ(place.right, 349);
    EXPECT_EQ(place.bottom, 224);
    EXPECT_EQ(Parts(), (std::vector<int>{250, -1}));
    EXPECT_EQ(bar_.PanelRect(1).Left, 250);
    EXPECT_EQ(bar_.PanelRect(1).Right, 349);
    bar_.AddPanel();
    EXPECT_EQ(Parts(), (std::vector<int>{250, 300, -1}));
    bar_.RemovePanel(2);
    EXPECT_THROW(bar_.RemovePanel(2), std::out_of_range);
}

TEST_F(StatusBarTest, PanelTextsAlignedByTheBar) {
    bar_.Panel(0)->setText("Programmer identified");
    EXPECT_EQ(PartText(0), "Programmer identified");
    bar_.Panel(0)->setAlignment(TAlignment::taCenter);
    EXPECT_EQ(PartText(0), "\tProgrammer identified");
    bar_.Panel(0)->setAlignment(TAlignment::taRightJustify);
    EXPECT_EQ(PartText(0), "\t\tProgrammer identified");
    bar_.Panel(0)->setText("");
    EXPECT_EQ(bar_.Panel(0)->Text(), "");
    bar_.Panel(1)->setBevel(TStatusPanelBevel::pbRaised);
    EXPECT_EQ(HIWORD(SendMessageW(bar_.Handle(), SB_GETTEXTLENGTHW, 1, 0)), SBT_POPOUT);
}

TEST_F(StatusBarTest, TheHostedControlFollowsItsPanel) {
    EXPECT_EQ(GetParent(hosted_), bar_.Handle());
    ExpectHostedAt(hosted_, 253, 3);
    struct Case {
        int panel0Width, marginLeft, marginTop, left, top;
    };
    for (const Case& c : {Case{200, 3, 3, 203, 3}, Case{250, 10, 3, 260, 3}, Case{250, 10, 0, 260, 0},
                          Case{250, 3, 3, 253, 3}}) {
        bar_.Panel(0)->setWidth(c.panel0Width);
        bar_.Panel(1)->setMarginLeft(c.marginLeft);
        bar_.Panel(1)->setMarginTop(c.marginTop);
        ExpectHostedAt(hosted_, c.left, c.top);
    }
    // Resizing the bar moves nothing and never resizes the control.
    SetWindowPos(parent_.Handle(), nullptr, 0, 0, 600, 400, SWP_NOMOVE | SWP_NOZORDER);
    SendMessageW(bar_.Handle(), WM_SIZE, 0, 0);
    EXPECT_EQ(Place(bar_.Handle()).right - Place(bar_.Handle()).left, [&] {
        RECT client{};
        GetClientRect(parent_.Handle(), &client);
        return static_cast<LONG>(client.right);
    }());
    ExpectHostedAt(hosted_, 253, 3);
}

TEST_F(StatusBarTest, TwoPanelsEachHostAControl) {
    const HWND first = MakeChild(parent_.Handle(), 40, 30);
    bar_.Panel(0)->setMarginLeft(5);
    bar_.Panel(0)->setControl(first);
    ExpectHostedAt(first, 5, 3, 40);
    ExpectHostedAt(hosted_, 253, 3);
}

TEST_F(StatusBarTest, AControlDestroyedElsewhereLeavesItsPanelEmpty) {
    DestroyWindow(hosted_);
    EXPECT_EQ(bar_.Panel(1)->Control(), nullptr);
    bar_.Panel(0)->setWidth(200); // touches no destroyed control
    EXPECT_EQ(bar_.Panel(1)->Control(), nullptr);
}

TEST_F(StatusBarTest, TheBarCannotHostItself) {
    try {
        bar_.Panel(1)->setControl(bar_.Handle());
        FAIL() << "no error";
    } catch (const miran::EComponentError& e) {
        EXPECT_STREQ(e.what(), "Invalid control selection");
    }
    EXPECT_EQ(bar_.Panel(1)->Control(), nullptr);
    EXPECT_EQ(GetParent(hosted_), bar_.Handle()); // still the bar's child, where it was
    ExpectHostedAt(hosted_, 253, 3);
}

TEST_F(StatusBarTest, TheHintIsTheBarsToolTip) {
    bar_.setHint("No programmer found: connect one by USB");
    wchar_t text[256] = {};
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = parent_.Handle();
    tool.uId = reinterpret_cast<UINT_PTR>(bar_.Handle());
    tool.lpszText = text;
    HWND toolTip = nullptr;
    do
        toolTip = FindWindowExW(nullptr, toolTip, TOOLTIPS_CLASSW, nullptr);
    while (toolTip != nullptr && GetWindow(toolTip, GW_OWNER) != parent_.Handle());
    ASSERT_NE(toolTip, nullptr);
    SendMessageW(toolTip, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&tool));
    EXPECT_EQ(miran::win32::ToUtf8(text), "No programmer found: connect one by USB");
}
