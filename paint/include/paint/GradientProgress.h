#pragma once

#include "paint/Canvas.h"

#include <string>

namespace miran::paint {

enum class TBorderStyle { bsNone, bsSingle };
enum class TTextOption { toCaption, toFormat, toNoText, toPercent };

// What the progress bar's picture takes from its control besides its own state.
struct ProgressLook {
    TColor background;
    Font font;
    TColor textColor;
};

// The gradient progress bar without its control: range and clamping, the fill extent in
// pixels or blocks, and the picture of the whole client area. Every setter keeps the current
// value as it is; a change that alters the picture marks it for redrawing (TakeRedraw).
class GradientProgress {
public:
    int Minimum() const { return minimum_; }
    void SetMinimum(int value);
    int Maximum() const { return maximum_; }
    void SetMaximum(int value);
    int Position() const { return position_; }
    void SetPosition(int value);
    // The gradient's ends as plain RGB values (system colours already looked up).
    void SetStartRgb(TColor rgb);
    void SetEndRgb(TColor rgb);
    bool Solid() const { return solid_; }
    void SetSolid(bool solid);
    bool GradientBlocks() const { return gradientBlocks_; }
    void SetGradientBlocks(bool shaded);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle style);
    TTextOption TextOption() const { return textOption_; }
    void SetTextOption(TTextOption option);
    bool TextCentered() const { return textCentered_; }
    void SetTextCentered(bool centered);
    void SetCaption(std::string caption);
    // The background or the text font changed.
    void ColorChanged();
    void FontChanged();

    // The client size; a change is noticed only by SizeChanged (at the next paint).
    void SetClientSize(int width, int height);
    void SizeChanged();

    int PercentDone() const;
    int FilledWidth() const { return filledWidth_; }
    int BlockWidth() const { return blockWidth_; }
    int BlockCount() const { return blockCount_; }
    bool LastBlockPartial() const { return lastBlockPartial_; }
    int LastBlockWidth() const { return lastBlockWidth_; }

    // Whether the picture must be drawn again (and the client area is not empty); clears it.
    bool TakeRedraw();
    // Draws every pixel of the client area.
    void Draw(Canvas& canvas, const ProgressLook& look) const;

private:
    void SetRange(int minimum, int maximum, int position);
    void RecomputeFillExtent();
    void DrawGradientFill(Canvas& canvas) const;
    void DrawBlockFill(Canvas& canvas, TColor background) const;
    void DrawCaptionText(Canvas& canvas, const ProgressLook& look) const;
    void DrawFrame(Canvas& canvas, TColor background) const;
    void FillColumns(Canvas& canvas, int x0, int x1, TColor color) const;
    std::string CaptionText() const;

    int minimum_ = 0;
    int maximum_ = 100;
    int position_ = 0;
    TColor startRgb_ = clWhite;
    TColor endRgb_ = clBlack;
    bool solid_ = false;
    bool gradientBlocks_ = false;
    TBorderStyle borderStyle_ = TBorderStyle::bsNone;
    TTextOption textOption_ = TTextOption::toNoText;
    bool textCentered_ = false;
    std::string caption_;

    int width_ = 0;
    int height_ = 0;
    int filledWidth_ = 0;
    bool needsRebuild_ = true;
    int blockWidth_ = 0;
    int blockCount_ = 0;
    bool lastBlockPartial_ = false;
    int lastBlockWidth_ = 0;
};

} // namespace miran::paint
