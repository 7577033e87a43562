#pragma once

#include "paint/GradientProgress.h"
#include "win32/ObjectWindow.h"

#include <optional>
#include <string>

namespace miran::win32 {

using paint::TBorderStyle;
using paint::TTextOption;

// A progress bar that draws its filled part as a colour gradient, either as one band or as blocks with
// one-pixel gaps, optionally with a text over it (paint::GradientProgress draws it). A change that alters
// the picture shows at once; one that alters nothing draws nothing.
class TGradientProgress : public ObjectWindow {
public:
    TGradientProgress(HWND parent, int left, int top, int width, int height);

    int Minimum() const { return bar_.Minimum(); }
    void setMinimum(int value);
    int Maximum() const { return bar_.Maximum(); }
    void setMaximum(int value);
    int Position() const { return bar_.Position(); }
    void setPosition(int value);
    paint::TColor StartColor() const { return startColor_; }
    void setStartColor(paint::TColor c);
    paint::TColor EndColor() const { return endColor_; }
    void setEndColor(paint::TColor c);
    bool Solid() const { return bar_.Solid(); }
    void setSolid(bool solid);
    bool GradientBlocks() const { return bar_.GradientBlocks(); }
    void setGradientBlocks(bool shaded);
    TBorderStyle BorderStyle() const { return bar_.BorderStyle(); }
    void setBorderStyle(TBorderStyle style);
    TTextOption TextOption() const { return bar_.TextOption(); }
    void setTextOption(TTextOption option);
    bool TextCentered() const { return bar_.TextCentered(); }
    void setTextCentered(bool centered);
    int Step() const { return step_; }
    void setStep(int step) { step_ = step; }
    const std::string& Caption() const { return caption_; }
    void setCaption(const std::string& caption);
    // Background of the unfilled part and of the flat frame; while ParentColor is set, the colour the
    // parent gives its static children (WM_CTLCOLORSTATIC). Setting Color clears ParentColor.
    paint::TColor Color() const;
    void setColor(paint::TColor c);
    bool ParentColor() const { return !color_.has_value(); }
    void setParentColor(bool follow);
    // The text's font and colour.
    const paint::Font& Font() const { return font_; }
    void setFont(const paint::Font& font);
    paint::TColor FontColor() const { return fontColor_; }
    void setFontColor(paint::TColor c);

    int PercentDone() const { return bar_.PercentDone(); }
    // Width of the filled part in pixels, between 0 and the client width minus 2.
    int FilledWidth() const { return bar_.FilledWidth(); }
    int BlockWidth() const { return bar_.BlockWidth(); }
    int BlockCount() const { return bar_.BlockCount(); }
    bool LastBlockPartial() const { return bar_.LastBlockPartial(); }
    int LastBlockWidth() const { return bar_.LastBlockWidth(); }

private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void RedrawIfDue();

    paint::GradientProgress bar_;
    paint::TColor startColor_ = paint::clWhite;
    paint::TColor endColor_ = paint::clBlack;
    int step_ = 10;
    std::string caption_;
    std::optional<paint::TColor> color_;
    paint::Font font_;
    paint::TColor fontColor_ = paint::clWindowText;
};

} // namespace miran::win32
