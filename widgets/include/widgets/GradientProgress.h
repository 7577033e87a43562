#pragma once

#include "paint/GradientProgress.h"
#include "widgets/Color.h"
#include "widgets/ControlColor.h"

#include <QImage>
#include <QString>
#include <QWidget>

namespace miran::widgets {

using paint::TBorderStyle;
using paint::TTextOption;

// A progress bar that draws its filled part as a colour gradient, either as one band or as
// blocks with one-pixel gaps, optionally with a text over it (paint::GradientProgress draws it).
// The whole picture is kept in a back buffer; a position change that alters neither the fill
// nor a shown percentage draws nothing.
class TGradientProgress : public QWidget {
    Q_OBJECT
public:
    explicit TGradientProgress(QWidget* parent = nullptr);

    int Minimum() const { return bar_.Minimum(); }
    void setMinimum(int value);
    int Maximum() const { return bar_.Maximum(); }
    void setMaximum(int value);
    int Position() const { return bar_.Position(); }
    void setPosition(int value);
    TColor StartColor() const { return startColor_; }
    void setStartColor(TColor c);
    TColor EndColor() const { return endColor_; }
    void setEndColor(TColor c);
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
    QString Caption() const { return caption_; }
    void setCaption(const QString& caption);
    // Background of the unfilled part and of the flat frame; follows the parent while
    // ParentColor is set (setting Color clears it).
    TColor Color() const { return color_.Get(*this); }
    void setColor(TColor c);
    bool ParentColor() const { return color_.ParentColor(); }
    void setParentColor(bool follow);

    int PercentDone() const { return bar_.PercentDone(); }
    // Width of the filled part in pixels, between 0 and the client width minus 2.
    int FilledWidth() const { return bar_.FilledWidth(); }
    // Block mode: pitch of a block and its gap, blocks drawn (a partial last block included),
    // and whether the last block is narrower, reaching the inner right edge.
    int BlockWidth() const { return bar_.BlockWidth(); }
    int BlockCount() const { return bar_.BlockCount(); }
    bool LastBlockPartial() const { return bar_.LastBlockPartial(); }
    int LastBlockWidth() const { return bar_.LastBlockWidth(); }

    QSize sizeHint() const override { return {150, 15}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // The bar with the control's current client size.
    paint::GradientProgress& Bar();
    void RenderIfDue();
    bool RenderToBuffer();

    paint::GradientProgress bar_;
    TColor startColor_ = clWhite;
    TColor endColor_ = clBlack;
    int step_ = 10;
    QString caption_;
    ControlColor color_;
    QImage backBuffer_;
};

} // namespace miran::widgets
