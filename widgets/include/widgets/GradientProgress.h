#pragma once

#include "widgets/Color.h"
#include "widgets/ControlColor.h"

#include <QImage>
#include <QString>
#include <QWidget>
#include <optional>

namespace miran::widgets {

enum class TBorderStyle { bsNone, bsSingle };
enum class TTextOption { toCaption, toFormat, toNoText, toPercent };

// A progress bar that draws its filled part as a colour gradient, either as one band or as
// blocks with one-pixel gaps, optionally with a text over it. The whole picture is kept in
// a back buffer; a position change that alters neither the fill nor a shown percentage
// draws nothing.
class TGradientProgress : public QWidget {
    Q_OBJECT
public:
    explicit TGradientProgress(QWidget* parent = nullptr);

    int Minimum() const { return minimum_; }
    void setMinimum(int value);
    int Maximum() const { return maximum_; }
    void setMaximum(int value);
    int Position() const { return position_; }
    void setPosition(int value);
    TColor StartColor() const { return startColor_; }
    void setStartColor(TColor c);
    TColor EndColor() const { return endColor_; }
    void setEndColor(TColor c);
    bool Solid() const { return solid_; }
    void setSolid(bool solid);
    bool GradientBlocks() const { return gradientBlocks_; }
    void setGradientBlocks(bool shaded);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void setBorderStyle(TBorderStyle style);
    TTextOption TextOption() const { return textOption_; }
    void setTextOption(TTextOption option);
    bool TextCentered() const { return textCentered_; }
    void setTextCentered(bool centered);
    int Step() const { return step_; }
    void setStep(int step) { step_ = step; }
    QString Caption() const { return caption_; }
    void setCaption(const QString& caption);
    // Background of the unfilled part and of the flat frame; follows the parent while
    // ParentColor is set (setting Color clears it).
    TColor Color() const { return color_.Get(*this); }
    void setColor(TColor c);
    bool ParentColor() const { return color_.ParentColor(); }
    void setParentColor(bool follow);

    int PercentDone() const;
    // Width of the filled part in pixels, between 0 and the client width minus 2.
    int FilledWidth() const { return filledWidth_; }
    // Block mode: pitch of a block and its gap, blocks drawn (a partial last block included),
    // and whether the last block is narrower, reaching the inner right edge.
    int BlockWidth() const { return blockWidth_; }
    int BlockCount() const { return blockCount_; }
    bool LastBlockPartial() const { return lastBlockPartial_; }
    int LastBlockWidth() const { return lastBlockWidth_; }

    QSize sizeHint() const override { return {150, 15}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void SetRange(int minimum, int maximum, int position);
    void RecomputeFillExtent();
    void Rebuild();
    bool RenderToBuffer();
    void DrawGradientFill(QImage& image) const;
    void DrawBlockFill(QImage& image) const;
    void DrawUnfilledArea(QImage& image) const;
    void DrawCaptionText(QImage& image) const;
    void DrawFrame(QImage& image) const;
    QString CaptionText() const;
    QColor BackgroundColor() const;

    int minimum_ = 0;
    int maximum_ = 100;
    int position_ = 0;
    TColor startColor_ = clWhite;
    TColor endColor_ = clBlack;
    QColor startRgb_ = Qt::white;
    QColor endRgb_ = Qt::black;
    bool solid_ = false;
    bool gradientBlocks_ = false;
    TBorderStyle borderStyle_ = TBorderStyle::bsNone;
    TTextOption textOption_ = TTextOption::toNoText;
    bool textCentered_ = false;
    int step_ = 10;
    QString caption_;
    ControlColor color_;

    QImage backBuffer_;
    int filledWidth_ = 0;
    bool needsRebuild_ = true;
    int blockWidth_ = 0;
    int blockCount_ = 0;
    bool lastBlockPartial_ = false;
    int lastBlockWidth_ = 0;
};

} // namespace miran::widgets
