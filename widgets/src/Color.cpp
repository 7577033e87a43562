#include "widgets/Color.h"

#include "widgets/StrToInt.h"

#include <array>
#include <utility>

namespace miran::widgets {
namespace {

struct NamedColor {
    const char* name;
    TColor color;
};

constexpr std::array kNamedColors = {
    NamedColor{"clBlack", clBlack},
    NamedColor{"clMaroon", clMaroon},
    NamedColor{"clGreen", clGreen},
    NamedColor{"clOlive", clOlive},
    NamedColor{"clNavy", clNavy},
    NamedColor{"clPurple", clPurple},
    NamedColor{"clTeal", clTeal},
    NamedColor{"clGray", clGray},
    NamedColor{"clSilver", clSilver},
    NamedColor{"clRed", clRed},
    NamedColor{"clLime", clLime},
    NamedColor{"clYellow", clYellow},
    NamedColor{"clBlue", clBlue},
    NamedColor{"clFuchsia", clFuchsia},
    NamedColor{"clAqua", clAqua},
    NamedColor{"clWhite", clWhite},
    NamedColor{"clWindow", clWindow},
    NamedColor{"clWindowText", clWindowText},
    NamedColor{"clHighlight", clHighlight},
    NamedColor{"clHighlightText", clHighlightText},
    NamedColor{"clBtnFace", clBtnFace},
    NamedColor{"clBtnShadow", clBtnShadow},
    NamedColor{"clGrayText", clGrayText},
    NamedColor{"clBtnText", clBtnText},
    NamedColor{"clBtnHighlight", clBtnHighlight},
    NamedColor{"cl3DDkShadow", cl3DDkShadow},
    NamedColor{"cl3DLight", cl3DLight},
    NamedColor{"clInfoText", clInfoText},
    NamedColor{"clInfoBk", clInfoBk},
};

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

TColor TColor::FromNumber(std::int64_t number) {
    const auto value = static_cast<std::uint32_t>(number);
    if ((value & kSystemFlag) == 0)
        return TColor(value & 0xFFFFFFu);
    const std::uint32_t index = value & 0xFFu;
    for (const NamedColor& named : kNamedColors) {
        if (named.color.IsSystem() && (named.color.value_ & 0xFFu) == index)
            return named.color;
    }
    throw EConvertError("'" + std::to_string(number) + "' is not a valid colour value");
}

TColor TColor::FromString(const QString& text) {
    for (const NamedColor& named : kNamedColors) {
        if (text.compare(QLatin1String(named.name), Qt::CaseInsensitive) == 0)
            return named.color;
    }
    return FromNumber(static_cast<std::uint32_t>(StrToInt(text)));
}

QColor TColor::Resolve(const QPalette& palette) const {
    if (IsSystem()) {
        const auto [group, role] = PaletteEntry(static_cast<SystemColor>(value_ & 0xFFu));
        return palette.color(group, role);
    }
    return QColor(value_ & 0xFF, (value_ >> 8) & 0xFF, (value_ >> 16) & 0xFF);
}

} // namespace miran::widgets
