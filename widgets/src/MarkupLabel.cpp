#include "widgets/MarkupLabel.h"

#include "core/ConvertError.h"

#include <QDesktopServices>
#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>

namespace miran::widgets {

LinkOpener DesktopLinkOpener() {
    return [](const QString& target) { QDesktopServices::openUrl(QUrl(target)); };
}

TMarkupLabel::TMarkupLabel(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    SetAutoSizeBounds(MeasuredSize(caption_));
}

// A caption that cannot be measured is refused before anything changes.
void TMarkupLabel::setCaption(const QString& caption) {
    if (caption == caption_)
        return;
    const std::optional<QSize> size = autoSize_ ? std::optional(MeasuredSize(caption)) : std::nullopt;
    caption_ = caption;
    if (size)
        SetAutoSizeBounds(*size);
    update();
}

void TMarkupLabel::setAutoSize(bool on) {
    if (on == autoSize_)
        return;
    const std::optional<QSize> size = on ? std::optional(MeasuredSize(caption_)) : std::nullopt;
    autoSize_ = on;
    setSizePolicy(on ? QSizePolicy::Fixed : QSizePolicy::Preferred,
                  on ? QSizePolicy::Fixed : QSizePolicy::Preferred);
    if (size)
        SetAutoSizeBounds(*size);
}

void TMarkupLabel::setSuperSubScriptRatio(double ratio) {
    if (ratio == ratio_)
        return;
    ratio_ = ratio;
    update();
}

void TMarkupLabel::setLayout(TTextLayout layout) {
    if (layout == layout_)
        return;
    layout_ = layout;
    update();
}

void TMarkupLabel::setTransparent(bool transparent) {
    if (transparent == transparent_)
        return;
    transparent_ = transparent;
    update();
}

void TMarkupLabel::setColor(TColor c) {
    if (color_.Set(c))
        update();
}

void TMarkupLabel::setParentColor(bool follow) {
    if (color_.SetParentColor(follow, *this))
        update();
}

MarkupCanvas TMarkupLabel::Canvas(QPainter* painter) const {
    MarkupCanvas canvas;
    canvas.painter = painter;
    canvas.palette = palette();
    canvas.font = font();
    canvas.fontColor = palette().color(foregroundRole());
    canvas.brushColor = Resolve(Color(), palette());
    canvas.brushClear = transparent_;
    return canvas;
}

// Markup styles start from plain text, whatever the label font's own style.
MarkupCanvas TMarkupLabel::PlainCanvas(QPainter* painter) const {
    MarkupCanvas canvas = Canvas(painter);
    canvas.font.setBold(false);
    canvas.font.setItalic(false);
    canvas.font.setUnderline(false);
    canvas.font.setStrikeOut(false);
    return canvas;
}

QRect TMarkupLabel::TextRect() {
    QRect rect = this->rect();
    if (layout_ == TTextLayout::tlTop)
        return rect;
    MarkupCanvas canvas = Canvas(nullptr);
    const int height = MeasureMarkupHeight(canvas, 0, 100, ratio_, caption_);
    const int top = layout_ == TTextLayout::tlCenter ? (rect.height() - height) / 2 : rect.height() - height;
    return rect.translated(0, top);
}

void TMarkupLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    MarkupCanvas canvas = PlainCanvas(&painter);
    if (!transparent_)
        painter.fillRect(rect(), canvas.brushColor);
    try {
        const QRect textRect = TextRect();
        if (isEnabled()) {
            DrawMarkup(canvas, textRect, 0, 100, ratio_, caption_, mouse_);
        } else {
            canvas.fontColor = Resolve(clBtnHighlight, palette());
            DrawMarkup(canvas, textRect.translated(1, 1), odDisabled, 100, ratio_, caption_, mouse_);
            canvas.fontColor = Resolve(clBtnShadow, palette());
            DrawMarkup(canvas, textRect, odDisabled, 100, ratio_, caption_, mouse_);
        }
    } catch (const EConvertError& e) {
        // An exception must not cross the event loop; the caption is at fault, so say so.
        qWarning("TMarkupLabel: %s", e.what());
    }
}

QSize TMarkupLabel::MeasuredSize(const QString& caption) const {
    MarkupCanvas canvas = Canvas(nullptr);
    const int height = MeasureMarkupHeight(canvas, 0, 100, ratio_, caption);
    const int width = MeasureMarkupWidth(canvas, QRect(), 0, 100, ratio_, caption);
    return {width, height};
}

void TMarkupLabel::SetAutoSizeBounds(QSize size) {
    autoSizeHint_ = size;
    resize(size);
    updateGeometry();
}

QSize TMarkupLabel::sizeHint() const {
    return autoSize_ ? autoSizeHint_ : QWidget::sizeHint();
}

void TMarkupLabel::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        try {
            if (autoSize_)
                SetAutoSizeBounds(MeasuredSize(caption_));
        } catch (const EConvertError& e) {
            qWarning("TMarkupLabel: %s", e.what()); // must not cross the event loop
        }
    }
    if (event->type() == QEvent::FontChange || event->type() == QEvent::EnabledChange ||
        event->type() == QEvent::PaletteChange)
        update();
}

void TMarkupLabel::Repaint() {
    if (transparent_)
        update();
    else
        repaint();
}

// Searched with the font and ratio the label paints with, so that the hand cursor and the
// red link agree.
std::optional<QString> TMarkupLabel::LinkAt(QPoint point) {
    MarkupCanvas canvas = PlainCanvas(nullptr);
    try {
        return FindMarkupLink(canvas, TextRect(), 0, 100, ratio_, caption_, point);
    } catch (const EConvertError&) {
        return std::nullopt; // painting reports the faulty caption
    }
}

void TMarkupLabel::mouseMoveEvent(QMouseEvent* event) {
    mouse_ = event->position().toPoint();
    const bool hot = LinkAt(mouse_).has_value();
    if (hot)
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
    if (hot != linkHot_) {
        linkHot_ = hot;
        Repaint();
    }
    QWidget::mouseMoveEvent(event);
}

void TMarkupLabel::mouseReleaseEvent(QMouseEvent* event) {
    mouse_ = event->position().toPoint();
    if (linkButtons_ & event->button()) {
        if (const auto target = LinkAt(mouse_))
            FollowLink(*target);
    }
    QWidget::mouseReleaseEvent(event);
}

void TMarkupLabel::leaveEvent(QEvent* event) {
    mouse_ = QPoint(0, 0);
    if (linkHot_) {
        linkHot_ = false;
        Repaint();
    }
    QWidget::leaveEvent(event);
}

void TMarkupLabel::FollowLink(const QString& target) {
    if (target.contains(QStringLiteral("://")) ||
        target.contains(QStringLiteral("MAILTO:"), Qt::CaseInsensitive))
        openLink_(target);
    if (OnHyperLinkClick)
        OnHyperLinkClick(this, target);
}

} // namespace miran::widgets
