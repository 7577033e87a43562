#pragma once

#include "paint/Canvas.h"

#include <span>

namespace miran::paint {

// What the layout needs of a status panel.
struct PanelGeometry {
    int width = 50;
    int marginLeft = 3;
    int marginTop = 3;
};

inline constexpr int kStatusBarHeight = 19;

// Panel index's area in a bar of that size: each panel's right edge is the sum of the widths up
// to it, and the last one reaches the bar's right edge. Without panels, one part spans the bar.
TRect PanelRect(std::span<const PanelGeometry> panels, int index, int barWidth, int barHeight);
// Where the control hosted in panel index goes: MarginLeft from the panel's nominal left edge
// (the sum of the widths before it) and MarginTop from the bar's top.
TPoint HostedControlPosition(std::span<const PanelGeometry> panels, int index);
// A control taken into a panel gets this height; the bar never changes its width.
int HostedControlHeight(int barHeight);
// The bevel of a panel's area, and the rectangle inside it where the text goes.
TRect PanelFrame(const TRect& area);
TRect PanelTextRect(const TRect& area);
// Sunken (lowered) or raised: the two colours of the top-left and the bottom-right edges.
void DrawPanelBevel(Canvas& canvas, const TRect& frame, TColor topLeft, TColor bottomRight);

} // namespace miran::paint
