#include "paint/Color.h"

#include "Text.h"
#include "core/ConvertError.h"
#include "paint/StrToInt.h"

#include <array>
#include <string>

namespace miran::paint {
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

TColor TColor::FromString(std::string_view text) {
    for (const NamedColor& named : kNamedColors) {
        if (EqualsNoCase(text, named.name))
            return named.color;
    }
    return FromNumber(static_cast<std::uint32_t>(StrToInt(text)));
}

} // namespace miran::paint
