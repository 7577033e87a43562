#include "paint/StatusBarLayout.h"

#include "RecordingCanvas.h"

#include <gtest/gtest.h>
#include <vector>

using namespace miran::paint;

TEST(StatusBarLayout, PanelsOfTheMainWindow) {
    const std::vector<PanelGeometry> panels = {{250, 3, 3}, {50, 3, 3}};
    EXPECT_EQ(PanelRect(panels, 0, 349, 19), (TRect{0, 0, 250, 19}));
    EXPECT_EQ(PanelRect(panels, 1, 349, 19), (TRect{250, 0, 349, 19})); // the last panel stretches
    EXPECT_EQ(PanelRect({}, 0, 349, 19), (TRect{0, 0, 349, 19}));       // one part across the bar
    EXPECT_EQ(HostedControlHeight(kStatusBarHeight), 15);
}

TEST(StatusBarLayout, HostedControlsFollowTheirPanels) {
    struct Case {
        std::vector<PanelGeometry> panels;
        int index;
        TPoint expected;
    };
    const Case cases[] = {
        {{{250, 3, 3}, {50, 3, 3}}, 1, {253, 3}},
        {{{200, 3, 3}, {50, 3, 3}}, 1, {203, 3}},
        {{{250, 3, 3}, {50, 10, 3}}, 1, {260, 3}},
        {{{250, 3, 3}, {50, 10, 0}}, 1, {260, 0}},
        {{{50, 10, 0}}, 0, {10, 0}},
        {{{120, 3, 3}, {50, 3, 3}}, 0, {3, 3}},
    };
    for (const Case& c : cases) {
        const TPoint at = HostedControlPosition(c.panels, c.index);
        EXPECT_EQ(at, c.expected) << c.panels[0].width << " " << c.index;
    }
}

TEST(StatusBarLayout, LoweredBevelInsideThePanel) {
    const TRect area{0, 0, 250, 19};
    const TRect frame = PanelFrame(area);
    EXPECT_EQ(frame, (TRect{0, 2, 248, 19}));
    EXPECT_EQ(PanelTextRect(area), (TRect{2, 3, 246, 18}));
    RecordingCanvas canvas(250, 19);
    DrawPanelBevel(canvas, frame, clBtnShadow, clBtnHighlight);
    EXPECT_EQ(canvas.At(0, 2), clBtnShadow);
    EXPECT_EQ(canvas.At(246, 2), clBtnShadow);
    EXPECT_EQ(canvas.At(247, 2), clBtnHighlight); // the far corners take the second colour
    EXPECT_EQ(canvas.At(0, 18), clBtnHighlight);
    EXPECT_EQ(canvas.At(247, 18), clBtnHighlight);
    EXPECT_EQ(canvas.At(248, 10), clWhite);
    EXPECT_EQ(canvas.At(5, 10), clWhite);
}
