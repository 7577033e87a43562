#pragma once

#include "paint/MarkupLabel.h"
#include "win32/ObjectWindow.h"

#include <functional>
#include <optional>
#include <string>

namespace miran::win32 {

using paint::TTextLayout;

// Opens a link target with the desktop's handler for it.
using LinkOpener = std::function<void(const std::string& target)>;
LinkOpener DesktopLinkOpener();

// A static text whose caption is markup: line breaks, styles, colours, sizes, rules, indents, alignment and
// clickable links (paint::MarkupLabel lays it out and paints it). Always left-justified.
class TMarkupLabel : public ObjectWindow {
public:
    TMarkupLabel(HWND parent, int left, int top, int width, int height);

    const std::string& Caption() const { return caption_; }
    // While AutoSize is on, a caption that cannot be measured (EConvertError) is refused and the label stays
    // as it was.
    void setCaption(const std::string& caption);
    bool AutoSize() const { return autoSize_; }
    // Refused likewise when the caption cannot be measured.
    void setAutoSize(bool on);
    double SuperSubScriptRatio() const { return ratio_; }
    void setSuperSubScriptRatio(double ratio);
    // The buttons that follow a link: MK_LBUTTON, MK_RBUTTON, MK_MBUTTON.
    unsigned HyperLinkMouseButtons() const { return linkButtons_; }
    void setHyperLinkMouseButtons(unsigned buttons) { linkButtons_ = buttons; }
    TTextLayout Layout() const { return layout_; }
    void setLayout(TTextLayout layout);
    bool Transparent() const { return transparent_; }
    void setTransparent(bool transparent);
    // Background of an opaque label; while ParentColor is set, the colour the parent gives its static
    // children.
    paint::TColor Color() const;
    void setColor(paint::TColor c);
    bool ParentColor() const { return !color_.has_value(); }
    void setParentColor(bool follow);
    // The caption is drawn in this font's regular style; the automatic size is measured with its style.
    const paint::Font& Font() const { return font_; }
    void setFont(const paint::Font& font);
    paint::TColor FontColor() const { return fontColor_; }
    void setFontColor(paint::TColor c);

    // A link under the mouse.
    bool LinkHot() const { return linkHot_; }

    // Raised with the target whenever a link is followed.
    std::function<void(TMarkupLabel*, const std::string& linkName)> OnHyperLinkClick;
    // How targets with "://" or "mailto:" are opened (the desktop's handler by default).
    void setLinkOpener(LinkOpener opener) { openLink_ = std::move(opener); }

private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    // The label's font and colours, its font style kept (for measuring).
    paint::MarkupStyle Style() const;
    paint::TRect TextRect() const;
    // Throws EConvertError for a caption that cannot be measured.
    paint::TPoint MeasuredSize(const std::string& caption) const;
    void Resize(paint::TPoint size);
    void Draw(HDC dc, int width, int height);
    void MouseMoved(paint::TPoint at);
    void MouseLeft();
    void ButtonReleased(unsigned button, paint::TPoint at);
    void Repaint();

    std::string caption_;
    bool autoSize_ = true;
    double ratio_ = paint::kDefaultSuperSubScriptRatio;
    unsigned linkButtons_ = MK_LBUTTON;
    TTextLayout layout_ = TTextLayout::tlTop;
    bool transparent_ = true;
    std::optional<paint::TColor> color_;
    paint::Font font_;
    paint::TColor fontColor_ = paint::clWindowText;
    paint::TPoint mouse_;
    bool linkHot_ = false;
    bool trackingLeave_ = false;
    LinkOpener openLink_ = DesktopLinkOpener();
};

} // namespace miran::win32
