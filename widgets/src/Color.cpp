#include "widgets/Color.h"

#include <utility>

namespace miran::widgets {
namespace {

// Where each system colour lives in a Qt palette.
std::pair<QPalette::ColorGroup, QPalette::ColorRole> PaletteEntry(SystemColor c) {
    switch (c) {
    case SystemColor::Window:
        return {QPalette::Active, QPalette::Base};
    case SystemColor::WindowText:
        return {QPalette::Active, QPalette::Text};
    case SystemColor::Highlight:
        return {QPalette::Active, QPalette::Highlight};
    case SystemColor::HighlightText:
        return {QPalette::Active, QPalette::HighlightedText};
    case SystemColor::BtnFace:
        return {QPalette::Active, QPalette::Button};
    case SystemColor::BtnShadow:
        return {QPalette::Active, QPalette::Dark};
    case SystemColor::GrayText:
        return {QPalette::Disabled, QPalette::Text};
    case SystemColor::BtnText:
        return {QPalette::Active, QPalette::ButtonText};
    case SystemColor::BtnHighlight:
        return {QPalette::Active, QPalette::Light};
    case SystemColor::DkShadow3D:
        return {QPalette::Active, QPalette::Shadow};
    case SystemColor::Light3D:
        return {QPalette::Active, QPalette::Midlight};
    case SystemColor::InfoText:
        return {QPalette::Active, QPalette::ToolTipText};
    case SystemColor::InfoBk:
        return {QPalette::Active, QPalette::ToolTipBase};
    }
    return {QPalette::Active, QPalette::Window};
}

} // namespace

QColor Resolve(TColor c, const QPalette& palette) {
    if (c.IsSystem()) {
        const auto [group, role] = PaletteEntry(c.SystemIndex());
        return palette.color(group, role);
    }
    return QColor(c.Red(), c.Green(), c.Blue());
}

TColor ToTColor(const QColor& c) {
    return TColor(static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
                  static_cast<std::uint8_t>(c.blue()));
}

} // namespace miran::widgets
