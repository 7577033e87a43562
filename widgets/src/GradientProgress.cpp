#include "widgets/GradientProgress.h"

#include "QtCanvas.h"

#include <QEvent>
#include <QPainter>

namespace miran::widgets {

TGradientProgress::TGradientProgress(QWidget* parent) : QWidget(parent) {
    resize(150, 15);
}

paint::GradientProgress& TGradientProgress::Bar() {
    bar_.SetClientSize(width(), height());
    return bar_;
}

void TGradientProgress::setMinimum(int value) {
    Bar().SetMinimum(value);
    RenderIfDue();
}

void TGradientProgress::setMaximum(int value) {
    Bar().SetMaximum(value);
    RenderIfDue();
}

void TGradientProgress::setPosition(int value) {
    Bar().SetPosition(value);
    RenderIfDue();
}

void TGradientProgress::setStartColor(TColor c) {
    if (c == startColor_)
        return;
    startColor_ = c;
    Bar().SetStartRgb(ToTColor(Resolve(c, palette())));
    RenderIfDue();
}

void TGradientProgress::setEndColor(TColor c) {
    if (c == endColor_)
        return;
    endColor_ = c;
    Bar().SetEndRgb(ToTColor(Resolve(c, palette())));
    RenderIfDue();
}

void TGradientProgress::setSolid(bool solid) {
    Bar().SetSolid(solid);
    RenderIfDue();
}

void TGradientProgress::setGradientBlocks(bool shaded) {
    Bar().SetGradientBlocks(shaded);
    RenderIfDue();
}

void TGradientProgress::setBorderStyle(TBorderStyle style) {
    Bar().SetBorderStyle(style);
    RenderIfDue();
}

void TGradientProgress::setTextOption(TTextOption option) {
    Bar().SetTextOption(option);
    RenderIfDue();
}

void TGradientProgress::setTextCentered(bool centered) {
    Bar().SetTextCentered(centered);
    RenderIfDue();
}

void TGradientProgress::setCaption(const QString& caption) {
    if (caption == caption_)
        return;
    caption_ = caption;
    Bar().SetCaption(caption.toStdString());
    RenderIfDue();
}

void TGradientProgress::setColor(TColor c) {
    if (!color_.Set(c))
        return;
    Bar().ColorChanged();
    RenderIfDue();
}

void TGradientProgress::setParentColor(bool follow) {
    if (!color_.SetParentColor(follow, *this))
        return;
    Bar().ColorChanged();
    RenderIfDue();
}

void TGradientProgress::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        // System colours follow the desktop; the parent's colour may have changed too.
        Bar().SetStartRgb(ToTColor(Resolve(startColor_, palette())));
        bar_.SetEndRgb(ToTColor(Resolve(endColor_, palette())));
        RenderIfDue();
    } else if (event->type() == QEvent::FontChange) {
        Bar().FontChanged();
        RenderIfDue();
    }
}

void TGradientProgress::RenderIfDue() {
    if (RenderToBuffer())
        repaint(); // at once, not at a later repaint
}

bool TGradientProgress::RenderToBuffer() {
    if (!Bar().TakeRedraw())
        return false;
    QImage image(size(), QImage::Format_RGB32);
    {
        QPainter painter(&image);
        QtCanvas canvas(&painter, font(), palette());
        bar_.Draw(canvas, {Color(), ToPaintFont(font()), ToTColor(palette().color(foregroundRole()))});
    }
    backBuffer_ = std::move(image);
    return true;
}

void TGradientProgress::paintEvent(QPaintEvent*) {
    if (backBuffer_.size() != size()) {
        Bar().SizeChanged();
        RenderToBuffer();
    }
    if (width() <= 2 || height() <= 2)
        return;
    QPainter(this).drawImage(0, 0, backBuffer_);
}

} // namespace miran::widgets
