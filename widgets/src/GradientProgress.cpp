#include "widgets/GradientProgress.h"

#include "widgets/CaptionFormat.h"
#include "widgets/Scaling.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>
#include <array>

namespace miran::widgets {
namespace {

// A colour that runs from one RGB value towards another in equal double-precision steps.
class ColorRamp {
public:
    ColorRamp(const QColor& start, const QColor& end, int length)
        : current_{double(start.red()), double(start.green()), double(start.blue())},
          step_{double(end.red() - start.red()) / length, double(end.green() - start.green()) / length,
                double(end.blue() - start.blue()) / length} {}

    QColor At(int offset) const {
        return Rounded({current_[0] + offset * step_[0], current_[1] + offset * step_[1],
                        current_[2] + offset * step_[2]});
    }
    QColor Current() const { return Rounded(current_); }
    void Advance(int steps) {
        for (int c = 0; c < 3; ++c)
            current_[c] += steps * step_[c];
    }

private:
    static QColor Rounded(const std::array<double, 3>& rgb) {
        return QColor(RoundHalfEven(rgb[0]), RoundHalfEven(rgb[1]), RoundHalfEven(rgb[2]));
    }
    std::array<double, 3> current_;
    std::array<double, 3> step_;
};

void FillColumns(QImage& image, int x0, int x1, const QColor& color) {
    if (x1 <= x0)
        return;
    QPainter painter(&image);
    painter.fillRect(QRect(x0, 1, x1 - x0, image.height() - 2), color);
}

} // namespace

TGradientProgress::TGradientProgress(QWidget* parent) : QWidget(parent) {
    resize(150, 15);
}

void TGradientProgress::setMinimum(int value) {
    const int minimum = value > maximum_ ? maximum_ : value;
    SetRange(minimum, maximum_, std::max(position_, minimum));
}

void TGradientProgress::setMaximum(int value) {
    const int maximum = value < minimum_ ? minimum_ : value;
    SetRange(minimum_, maximum, std::min(position_, maximum));
}

void TGradientProgress::setPosition(int value) {
    SetRange(minimum_, maximum_, std::clamp(value, minimum_, maximum_));
}

void TGradientProgress::SetRange(int minimum, int maximum, int position) {
    if (minimum == minimum_ && maximum == maximum_ && position == position_)
        return;
    const int oldPercent = PercentDone();
    minimum_ = minimum;
    maximum_ = maximum;
    position_ = position;
    needsRebuild_ = (textOption_ == TTextOption::toFormat || textOption_ == TTextOption::toPercent) &&
                    PercentDone() != oldPercent;
    RecomputeFillExtent();
    if (RenderToBuffer())
        repaint();
}

void TGradientProgress::setStartColor(TColor c) {
    if (c == startColor_)
        return;
    startColor_ = c;
    startRgb_ = c.Resolve(palette());
    Rebuild();
}

void TGradientProgress::setEndColor(TColor c) {
    if (c == endColor_)
        return;
    endColor_ = c;
    endRgb_ = c.Resolve(palette());
    Rebuild();
}

void TGradientProgress::setSolid(bool solid) {
    if (solid == solid_)
        return;
    solid_ = solid;
    needsRebuild_ = true;
    RecomputeFillExtent();
    Rebuild();
}

void TGradientProgress::setGradientBlocks(bool shaded) {
    if (shaded == gradientBlocks_)
        return;
    gradientBlocks_ = shaded;
    if (!solid_)
        Rebuild();
}

void TGradientProgress::setBorderStyle(TBorderStyle style) {
    if (style == borderStyle_)
        return;
    borderStyle_ = style;
    Rebuild();
}

void TGradientProgress::setTextOption(TTextOption option) {
    if (option == textOption_)
        return;
    textOption_ = option;
    Rebuild();
}

void TGradientProgress::setTextCentered(bool centered) {
    if (centered == textCentered_)
        return;
    textCentered_ = centered;
    if (textOption_ != TTextOption::toNoText)
        Rebuild();
}

void TGradientProgress::setCaption(const QString& caption) {
    if (caption == caption_)
        return;
    caption_ = caption;
    if (textOption_ == TTextOption::toCaption || textOption_ == TTextOption::toFormat)
        Rebuild();
}

void TGradientProgress::setColor(TColor c) {
    if (color_.Set(c))
        Rebuild();
}

void TGradientProgress::setParentColor(bool follow) {
    if (color_.SetParentColor(follow, *this))
        Rebuild();
}

int TGradientProgress::PercentDone() const {
    if (maximum_ == minimum_)
        return 0;
    return static_cast<int>(
        MulDivRound(std::int64_t{position_} - minimum_, 100, std::int64_t{maximum_} - minimum_));
}

void TGradientProgress::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        // System colours follow the desktop; the parent's colour may have changed too.
        startRgb_ = startColor_.Resolve(palette());
        endRgb_ = endColor_.Resolve(palette());
        Rebuild();
    } else if (event->type() == QEvent::FontChange && textOption_ != TTextOption::toNoText) {
        Rebuild();
    }
}

void TGradientProgress::Rebuild() {
    needsRebuild_ = true;
    if (RenderToBuffer())
        repaint();
}

void TGradientProgress::RecomputeFillExtent() {
    const int cw = width();
    if (maximum_ == minimum_ || cw < 2)
        return;
    const int inner = cw - 2;
    const int w = static_cast<int>(
        MulDivRound(std::int64_t{position_} - minimum_, inner, std::int64_t{maximum_} - minimum_));
    int extent = w;
    if (!solid_) {
        blockWidth_ = 2 * height() / 3;
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

bool TGradientProgress::RenderToBuffer() {
    if (!needsRebuild_)
        return false;
    needsRebuild_ = false;
    if (width() <= 0 || height() <= 0)
        return false;
    QImage image(size(), QImage::Format_RGB32);
    if (solid_)
        DrawGradientFill(image);
    else
        DrawBlockFill(image);
    DrawUnfilledArea(image);
    DrawCaptionText(image);
    DrawFrame(image);
    backBuffer_ = std::move(image);
    return true;
}

QColor TGradientProgress::BackgroundColor() const {
    return Color().Resolve(palette());
}

void TGradientProgress::DrawGradientFill(QImage& image) const {
    if (filledWidth_ == 0)
        return;
    if (startRgb_ == endRgb_) {
        FillColumns(image, 1, filledWidth_ + 1, startRgb_);
        return;
    }
    const ColorRamp ramp(startRgb_, endRgb_, filledWidth_);
    for (int k = 0; k < filledWidth_; ++k)
        FillColumns(image, 1 + k, 2 + k, ramp.At(k));
}

void TGradientProgress::DrawBlockFill(QImage& image) const {
    if (filledWidth_ == 0 || blockWidth_ == 0)
        return;
    const int fullBlocks = lastBlockPartial_ ? blockCount_ - 1 : blockCount_;
    const int partialLeft = 1 + fullBlocks * blockWidth_;
    if (startRgb_ == endRgb_) {
        for (int i = 0; i < fullBlocks; ++i)
            FillColumns(image, 1 + i * blockWidth_, i * blockWidth_ + blockWidth_, startRgb_);
        if (lastBlockPartial_)
            FillColumns(image, partialLeft, partialLeft + lastBlockWidth_, startRgb_);
    } else {
        ColorRamp ramp(startRgb_, endRgb_, filledWidth_);
        auto shade = [&](int left, int columns) {
            for (int j = 0; j < columns; ++j) {
                FillColumns(image, left + j, left + j + 1, ramp.Current());
                ramp.Advance(1);
            }
        };
        for (int i = 0; i < fullBlocks; ++i) {
            const int left = 1 + i * blockWidth_;
            if (gradientBlocks_) {
                shade(left, blockWidth_ - 1);
                ramp.Advance(1);
            } else {
                FillColumns(image, left, left + blockWidth_ - 1, ramp.Current());
                ramp.Advance(blockWidth_);
            }
        }
        if (lastBlockPartial_) {
            if (gradientBlocks_)
                shade(partialLeft, lastBlockWidth_);
            else
                FillColumns(image, partialLeft, partialLeft + lastBlockWidth_, ramp.Current());
        }
    }
    for (int m = 1; m <= fullBlocks; ++m)
        FillColumns(image, blockWidth_ * m, blockWidth_ * m + 1, BackgroundColor());
}

void TGradientProgress::DrawUnfilledArea(QImage& image) const {
    if (filledWidth_ < width() - 2)
        FillColumns(image, filledWidth_ + 1, width() - 1, BackgroundColor());
}

QString TGradientProgress::CaptionText() const {
    switch (textOption_) {
    case TTextOption::toCaption:
        return caption_;
    case TTextOption::toFormat:
        return FormatCaption(caption_, PercentDone());
    case TTextOption::toPercent:
        return QString::number(PercentDone()) + u'%';
    case TTextOption::toNoText:
        break;
    }
    return {};
}

void TGradientProgress::DrawCaptionText(QImage& image) const {
    if (textOption_ == TTextOption::toNoText)
        return;
    const QString text = CaptionText();
    const QFontMetrics metrics(font());
    const int x =
        std::max(0, ((textCentered_ ? width() : filledWidth_) - metrics.horizontalAdvance(text)) / 2);
    const int y = std::max(0, (height() - metrics.height()) / 2);
    QPainter painter(&image);
    painter.setFont(font());
    painter.setPen(palette().color(foregroundRole()));
    painter.drawText(x, y + metrics.ascent(), text);
}

void TGradientProgress::DrawFrame(QImage& image) const {
    QPainter painter(&image);
    const int right = width() - 1;
    const int bottom = height() - 1;
    if (borderStyle_ == TBorderStyle::bsNone) {
        painter.setPen(BackgroundColor());
        painter.drawRect(0, 0, right, bottom);
        return;
    }
    const std::array<std::pair<TColor, TColor>, 3> rings = {std::pair{clBtnFace, clBtnFace},
                                                            std::pair{clBtnShadow, clBtnHighlight},
                                                            std::pair{cl3DDkShadow, clBtnFace}};
    for (int i = 0; i < 3; ++i) {
        const int l = i, t = i, r = right - i, b = bottom - i;
        if (r < l || b < t)
            break;
        // Top and left edges stop one short of the far corners, which the second colour takes.
        painter.setPen(rings[i].first.Resolve(palette()));
        painter.drawLine(l, t, std::max(l, r - 1), t);
        painter.drawLine(l, t, l, std::max(t, b - 1));
        painter.setPen(rings[i].second.Resolve(palette()));
        painter.drawLine(r, t, r, b);
        painter.drawLine(l, b, r, b);
    }
}

void TGradientProgress::paintEvent(QPaintEvent*) {
    if (backBuffer_.size() != size()) {
        needsRebuild_ = true;
        RecomputeFillExtent();
        RenderToBuffer();
    }
    if (width() <= 2 || height() <= 2)
        return;
    QPainter(this).drawImage(0, 0, backBuffer_);
}

} // namespace miran::widgets
