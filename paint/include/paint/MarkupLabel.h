#pragma once

#include "paint/Markup.h"

#include <optional>
#include <string>
#include <string_view>

namespace miran::paint {

enum class TTextLayout { tlTop, tlCenter, tlBottom };

// The markup label without its control: where its caption goes, how it is painted enabled and
// disabled, its automatic size and what a click on a link does. The style is the label's: its
// font with the style kept for measuring, cleared for painting (markup starts from plain text).

// The client area moved down by the layout, for a caption of that measured height.
TRect MarkupTextRect(TextMeasure& measure, const MarkupStyle& style, TTextLayout layout, const TRect& client,
                     double ratio, std::string_view caption);
// Disabled text is embossed: once shifted by (1, 1) in the button highlight colour, once in place
// in the button shadow colour. Returns the link under the mouse, if any.
std::optional<std::string> DrawMarkupLabel(Canvas& canvas, MarkupStyle style, const TRect& textRect,
                                           bool enabled, double ratio, std::string_view caption,
                                           TPoint mouse);
// The link under point, searched with the font and ratio the label paints with, so that the hand cursor
// and the red link agree; none for a caption that cannot be drawn (painting reports it).
std::optional<std::string> MarkupLabelLinkAt(TextMeasure& measure, const MarkupStyle& style,
                                             const TRect& textRect, double ratio, std::string_view caption,
                                             TPoint point);
// Width and height of the whole caption.
TPoint MarkupLabelSize(TextMeasure& measure, const MarkupStyle& style, double ratio,
                       std::string_view caption);
// A link target the desktop opens (it names a protocol, or is a mail address); every followed
// link is also reported to the label's handler.
bool OpensOnTheDesktop(std::string_view target);
// The label's style with the font style cleared.
MarkupStyle PlainStyle(MarkupStyle style);

} // namespace miran::paint
