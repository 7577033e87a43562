#pragma once

#include <cstdint>
#include <string_view>

namespace miran::paint {

// Desktop colours, looked up by the canvas whenever they are drawn; the values are the
// platform's system colour indices so that stored colour numbers keep their meaning.
enum class SystemColor : std::uint8_t {
    Window = 5,
    WindowText = 8,
    Highlight = 13,
    HighlightText = 14,
    BtnFace = 15,
    BtnShadow = 16,
    GrayText = 17,
    BtnText = 18,
    BtnHighlight = 20,
    DkShadow3D = 21,
    Light3D = 22,
    InfoText = 23,
    InfoBk = 24,
};

// A colour as the widgets store it: a plain RGB value or a named system colour.
class TColor {
public:
    constexpr TColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue)
        : value_(red | green << 8 | blue << 16) {}
    static constexpr TColor System(SystemColor c) {
        return TColor(kSystemFlag | static_cast<std::uint32_t>(c));
    }

    // A colour number in the platform's format: lowest byte red, then green and blue;
    // 0x800000nn is system colour nn. Throws EConvertError for an unknown system colour.
    static TColor FromNumber(std::int64_t number);
    // A colour identifier such as "clRed" (any case), or a number as accepted by
    // FromNumber written in decimal or as "$" hexadecimal. Throws EConvertError otherwise.
    static TColor FromString(std::string_view text);

    constexpr bool IsSystem() const { return (value_ & kSystemFlag) != 0; }
    // Meaningful only for a system colour.
    constexpr SystemColor SystemIndex() const { return static_cast<SystemColor>(value_ & 0xFFu); }
    // Meaningful only for an RGB colour.
    constexpr std::uint8_t Red() const { return value_ & 0xFFu; }
    constexpr std::uint8_t Green() const { return (value_ >> 8) & 0xFFu; }
    constexpr std::uint8_t Blue() const { return (value_ >> 16) & 0xFFu; }

    friend constexpr bool operator==(TColor, TColor) = default;

private:
    static constexpr std::uint32_t kSystemFlag = 0x80000000u;
    explicit constexpr TColor(std::uint32_t value) : value_(value) {}
    std::uint32_t value_;
};

inline constexpr TColor clBlack{0, 0, 0};
inline constexpr TColor clMaroon{128, 0, 0};
inline constexpr TColor clGreen{0, 128, 0};
inline constexpr TColor clOlive{128, 128, 0};
inline constexpr TColor clNavy{0, 0, 128};
inline constexpr TColor clPurple{128, 0, 128};
inline constexpr TColor clTeal{0, 128, 128};
inline constexpr TColor clGray{128, 128, 128};
inline constexpr TColor clSilver{192, 192, 192};
inline constexpr TColor clRed{255, 0, 0};
inline constexpr TColor clLime{0, 255, 0};
inline constexpr TColor clYellow{255, 255, 0};
inline constexpr TColor clBlue{0, 0, 255};
inline constexpr TColor clFuchsia{255, 0, 255};
inline constexpr TColor clAqua{0, 255, 255};
inline constexpr TColor clWhite{255, 255, 255};

inline constexpr TColor clWindow = TColor::System(SystemColor::Window);
inline constexpr TColor clWindowText = TColor::System(SystemColor::WindowText);
inline constexpr TColor clHighlight = TColor::System(SystemColor::Highlight);
inline constexpr TColor clHighlightText = TColor::System(SystemColor::HighlightText);
inline constexpr TColor clBtnFace = TColor::System(SystemColor::BtnFace);
inline constexpr TColor clBtnShadow = TColor::System(SystemColor::BtnShadow);
inline constexpr TColor clGrayText = TColor::System(SystemColor::GrayText);
inline constexpr TColor clBtnText = TColor::System(SystemColor::BtnText);
inline constexpr TColor clBtnHighlight = TColor::System(SystemColor::BtnHighlight);
inline constexpr TColor cl3DDkShadow = TColor::System(SystemColor::DkShadow3D);
inline constexpr TColor cl3DLight = TColor::System(SystemColor::Light3D);
inline constexpr TColor clInfoText = TColor::System(SystemColor::InfoText);
inline constexpr TColor clInfoBk = TColor::System(SystemColor::InfoBk);

} // namespace miran::paint
