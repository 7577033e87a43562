#include "paint/StatusBarLayout.h"

#include <algorithm>

namespace miran::paint {
namespace {

constexpr int kPanelGap = 2;  // between neighbouring panels
constexpr int kTopBorder = 2; // above every panel
constexpr int kTextPadding = 2;

int NominalLeft(std::span<const PanelGeometry> panels, int index) {
    int left = 0;
    for (int i = 0; i < index; ++i)
        left += panels[static_cast<std::size_t>(i)].width;
    return left;
}

} // namespace

TRect PanelRect(std::span<const PanelGeometry> panels, int index, int barWidth, int barHeight) {
    if (panels.empty())
        return {0, 0, barWidth, barHeight};
    const int left = NominalLeft(panels, index);
    const bool last = index == static_cast<int>(panels.size()) - 1;
    const int right = last ? barWidth : left + panels[static_cast<std::size_t>(index)].width;
    return {left, 0, left + std::max(0, right - left), barHeight};
}

TPoint HostedControlPosition(std::span<const PanelGeometry> panels, int index) {
    const PanelGeometry& panel = panels[static_cast<std::size_t>(index)];
    return {NominalLeft(panels, index) + panel.marginLeft, panel.marginTop};
}

int HostedControlHeight(int barHeight) {
    return barHeight - 4;
}

TRect PanelFrame(const TRect& area) {
    return {area.Left, area.Top + kTopBorder, area.Right - kPanelGap, area.Bottom};
}

TRect PanelTextRect(const TRect& area) {
    const TRect frame = PanelFrame(area);
    return {frame.Left + kTextPadding, frame.Top + 1, frame.Right - kTextPadding, frame.Bottom - 1};
}

void DrawPanelBevel(Canvas& canvas, const TRect& frame, TColor topLeft, TColor bottomRight) {
    const int right = frame.Right - 1; // the last column and row inside the frame
    const int bottom = frame.Bottom - 1;
    canvas.FillRect({frame.Left, frame.Top, right, frame.Top + 1}, topLeft);
    canvas.FillRect({frame.Left, frame.Top, frame.Left + 1, bottom}, topLeft);
    canvas.FillRect({right, frame.Top, right + 1, bottom + 1}, bottomRight);
    canvas.FillRect({frame.Left, bottom, right + 1, bottom + 1}, bottomRight);
}

} // namespace miran::paint
