#include "paint/GradientProgress.h"

#include "paint/CaptionFormat.h"
#include "paint/Scaling.h"

#include <algorithm>
#include <array>
#include <utility>

namespace miran::paint {
namespace {

// A colour that runs from one RGB value towards another in equal double-precision steps.
class ColorRamp {
public:
    ColorRamp(TColor start, TColor end, int length)
        : current_{double(start.Red()), double(start.Green()), double(start.Blue())},
          step_{double(end.Red() - start.Red()) / length, double(end.Green() - start.Green()) / length,
                double(end.Blue() - start.Blue()) / length} {}

    TColor At(int offset) const {
        return Rounded({current_[0] + offset * step_[0], current_[1] + offset * step_[1],
                        current_[2] + offset * step_[2]});
    }
    TColor Current() const { return Rounded(current_); }
    void Advance(int steps) {
        for (int c = 0; c < 3; ++c)
            current_[c] += steps * step_[c];
    }

private:
    static TColor Rounded(const std::array<double, 3>& rgb) {
        auto channel = [](double v) {
            return static_cast<std::uint8_t>(std::clamp(RoundHalfEven(v), 0, 255));
        };
        return TColor(channel(rgb[0]), channel(rgb[1]), channel(rgb[2]));
    }
    std::array<double, 3> current_;
    std::array<double, 3> step_;
};

} // namespace

void GradientProgress::SetMinimum(int value) {
    const int minimum = value > maximum_ ? maximum_ : value;
    SetRange(minimum, maximum_, std::max(position_, minimum));
}

void GradientProgress::SetMaximum(int value) {
    const int maximum = value < minimum_ ? minimum_ : value;
    SetRange(minimum_, maximum, std::min(position_, maximum));
}

void GradientProgress::SetPosition(int value) {
    SetRange(minimum_, maximum_, std::clamp(value, minimum_, maximum_));
}

void GradientProgress::SetRange(int minimum, int maximum, int position) {
    if (minimum == minimum_ && maximum == maximum_ && position == position_)
        return;
    const int oldPercent = PercentDone();
    minimum_ = minimum;
    maximum_ = maximum;
    position_ = position;
    needsRebuild_ = (textOption_ == TTextOption::toFormat || textOption_ == TTextOption::toPercent) &&
                    PercentDone() != oldPercent;
    RecomputeFillExtent();
}

void GradientProgress::SetStartRgb(TColor rgb) {
    startRgb_ = rgb;
    needsRebuild_ = true;
}

void GradientProgress::SetEndRgb(TColor rgb) {
    endRgb_ = rgb;
    needsRebuild_ = true;
}

void GradientProgress::SetSolid(bool solid) {
    if (solid == solid_)
        return;
    solid_ = solid;
    needsRebuild_ = true;
    RecomputeFillExtent();
}

void GradientProgress::SetGradientBlocks(bool shaded) {
    if (shaded == gradientBlocks_)
        return;
    gradientBlocks_ = shaded;
    if (!solid_)
        needsRebuild_ = true;
}

void GradientProgress::SetBorderStyle(TBorderStyle style) {
    if (style == borderStyle_)
        return;
    borderStyle_ = style;
    needsRebuild_ = true;
}

void GradientProgress::SetTextOption(TTextOption option) {
    if (option == textOption_)
        return;
    textOption_ = option;
    needsRebuild_ = true;
}

void GradientProgress::SetTextCentered(bool centered) {
    if (centered == textCentered_)
        return;
    textCentered_ = centered;
    if (textOption_ != TTextOption::toNoText)
        needsRebuild_ = true;
}

void GradientProgress::SetCaption(std::string caption) {
    if (caption == caption_)
        return;
    caption_ = std::move(caption);
    if (textOption_ == TTextOption::toCaption || textOption_ == TTextOption::toFormat)
        needsRebuild_ = true;
}

void GradientProgress::ColorChanged() {
    needsRebuild_ = true;
}

void GradientProgress::FontChanged() {
    if (textOption_ != TTextOption::toNoText)
        needsRebuild_ = true;
}

void GradientProgress::SetClientSize(int width, int height) {
    width_ = width;
    height_ = height;
}

void GradientProgress::SizeChanged() {
    needsRebuild_ = true;
    RecomputeFillExtent();
}

int GradientProgress::PercentDone() const {
    if (maximum_ == minimum_)
        return 0;
    return static_cast<int>(
        MulDivRound(std::int64_t{position_} - minimum_, 100, std::int64_t{maximum_} - minimum_));
}

void GradientProgress::RecomputeFillExtent() {
    const int cw = width_;
    if (maximum_ == minimum_ || cw < 2)
        return;
    const int inner = cw - 2;
    const int w = static_cast<int>(
        MulDivRound(std::int64_t{position_} - minimum_, inner, std::int64_t{maximum_} - minimum_));
    int extent = w;
    if (!solid_) {
        blockWidth_ = 2 * height_ / 3;
        if (blockWidth_ == 0) {
            extent = 0;
        } else {
            blockCount_ = w / blockWidth_;
            const int rem = w % blockWidth_;
            const int room = std::min(inner - blockCount_ * blockWidth_, blockWidth_);
            if (2 * rem > room) {
                ++blockCount_;
                lastBlockPartial_ = room < blockWidth_;
                lastBlockWidth_ = room;
                extent = lastBlockPartial_ ? inner : blockCount_ * blockWidth_;
            } else {
                lastBlockPartial_ = false;
                extent = blockCount_ * blockWidth_;
            }
        }
    }
    if (extent != filledWidth_) {
        filledWidth_ = extent;
        needsRebuild_ = true;
    }
}

bool GradientProgress::TakeRedraw() {
    if (!needsRebuild_)
        return false;
    needsRebuild_ = false;
    return width_ > 0 && height_ > 0;
}

void GradientProgress::Draw(Canvas& canvas, const ProgressLook& look) const {
    if (solid_)
        DrawGradientFill(canvas);
    else
        DrawBlockFill(canvas, look.background);
    if (filledWidth_ < width_ - 2)
        FillColumns(canvas, filledWidth_ + 1, width_ - 1, look.background);
    DrawCaptionText(canvas, look);
    DrawFrame(canvas, look.background);
}

void GradientProgress::FillColumns(Canvas& canvas, int x0, int x1, TColor color) const {
    if (x1 > x0)
        canvas.FillRect({x0, 1, x1, height_ - 1}, color);
}

void GradientProgress::DrawGradientFill(Canvas& canvas) const {
    if (filledWidth_ == 0)
        return;
    if (startRgb_ == endRgb_) {
        FillColumns(canvas, 1, filledWidth_ + 1, startRgb_);
        return;
    }
    const ColorRamp ramp(startRgb_, endRgb_, filledWidth_);
    for (int k = 0; k < filledWidth_; ++k)
        FillColumns(canvas, 1 + k, 2 + k, ramp.At(k));
}

void GradientProgress::DrawBlockFill(Canvas& canvas, TColor background) const {
    if (filledWidth_ == 0 || blockWidth_ == 0)
        return;
    const int fullBlocks = lastBlockPartial_ ? blockCount_ - 1 : blockCount_;
    const int partialLeft = 1 + fullBlocks * blockWidth_;
    if (startRgb_ == endRgb_) {
        for (int i = 0; i < fullBlocks; ++i)
            FillColumns(canvas, 1 + i * blockWidth_, i * blockWidth_ + blockWidth_, startRgb_);
        if (lastBlockPartial_)
            FillColumns(canvas, partialLeft, partialLeft + lastBlockWidth_, startRgb_);
    } else {
        ColorRamp ramp(startRgb_, endRgb_, filledWidth_);
        auto shade = [&](int left, int columns) {
            for (int j = 0; j < columns; ++j) {
                FillColumns(canvas, left + j, left + j + 1, ramp.Current());
                ramp.Advance(1);
            }
        };
        for (int i = 0; i < fullBlocks; ++i) {
            const int left = 1 + i * blockWidth_;
            if (gradientBlocks_) {
                shade(left, blockWidth_ - 1);
                ramp.Advance(1);
            } else {
                FillColumns(canvas, left, left + blockWidth_ - 1, ramp.Current());
                ramp.Advance(blockWidth_);
            }
        }
        if (lastBlockPartial_) {
            if (gradientBlocks_)
                shade(partialLeft, lastBlockWidth_);
            else
                FillColumns(canvas, partialLeft, partialLeft + lastBlockWidth_, ramp.Current());
        }
    }
    for (int m = 1; m <= fullBlocks; ++m)
        FillColumns(canvas, blockWidth_ * m, blockWidth_ * m + 1, background);
}

std::string GradientProgress::CaptionText() const {
    switch (textOption_) {
    case TTextOption::toCaption:
        return caption_;
    case TTextOption::toFormat:
        return FormatCaption(caption_, PercentDone());
    case TTextOption::toPercent:
        return std::to_string(PercentDone()) + '%';
    case TTextOption::toNoText:
        break;
    }
    return {};
}

void GradientProgress::DrawCaptionText(Canvas& canvas, const ProgressLook& look) const {
    if (textOption_ == TTextOption::toNoText)
        return;
    const std::string text = CaptionText();
    const int x =
        std::max(0, ((textCentered_ ? width_ : filledWidth_) - canvas.TextWidth(text, look.font)) / 2);
    const int y = std::max(0, (height_ - canvas.TextHeight(look.font)) / 2);
    canvas.DrawText({x, y}, text, look.font, look.textColor);
}

void GradientProgress::DrawFrame(Canvas& canvas, TColor background) const {
    const int right = width_ - 1;
    const int bottom = height_ - 1;
    // Each ring: top and left edges in the first colour, stopping one short of the far corners,
    // which the bottom and right edges take in the second.
    auto ring = [&](int inset, TColor topLeft, TColor bottomRight) {
        const int l = inset, t = inset, r = right - inset, b = bottom - inset;
        canvas.FillRect({l, t, std::max(l, r - 1) + 1, t + 1}, topLeft);
        canvas.FillRect({l, t, l + 1, std::max(t, b - 1) + 1}, topLeft);
        canvas.FillRect({r, t, r + 1, b + 1}, bottomRight);
        canvas.FillRect({l, b, r + 1, b + 1}, bottomRight);
    };
    if (borderStyle_ == TBorderStyle::bsNone) {
        ring(0, background, background);
        return;
    }
    const std::array<std::pair<TColor, TColor>, 3> rings = {std::pair{clBtnFace, clBtnFace},
                                                            std::pair{clBtnShadow, clBtnHighlight},
                                                            std::pair{cl3DDkShadow, clBtnFace}};
    for (int i = 0; i < 3; ++i) {
        if (right - i < i || bottom - i < i)
            break;
        ring(i, rings[i].first, rings[i].second);
    }
}

} // namespace miran::paint
