#include "widgets/MarkupLabel.h"

#include "QtCanvas.h"
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

paint::MarkupStyle TMarkupLabel::Style() const {
    paint::MarkupStyle style;
    style.font = ToPaintFont(font());
    style.fontColor = ToTColor(palette().color(foregroundRole()));
    style.brushColor = Color();
    style.brushClear = transparent_;
    return style;
}

paint::TRect TMarkupLabel::TextRect() const {
    QtCanvas measure(nullptr, font(), palette());
    return paint::MarkupTextRect(measure, Style(), layout_, {0, 0, width(), height()}, ratio_,
                                 caption_.toStdString());
}

void TMarkupLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!transparent_)
        painter.fillRect(rect(), Resolve(Color(), palette()));
    QtCanvas canvas(&painter, font(), palette());
    try {
        paint::DrawMarkupLabel(canvas, paint::PlainStyle(Style()), TextRect(), isEnabled(), ratio_,
                               caption_.toStdString(), {mouse_.x(), mouse_.y()});
    } catch (const EConvertError& e) {
        // An exception must not cross the event loop; the caption is at fault, so say so.
        qWarning("TMarkupLabel: %s", e.what());
    }
}

QSize TMarkupLabel::MeasuredSize(const QString& caption) const {
    QtCanvas measure(nullptr, font(), palette());
    const paint::TPoint size = paint::MarkupLabelSize(measure, Style(), ratio_, caption.toStdString());
    return {size.X, size.Y};
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

std::optional<QString> TMarkupLabel::LinkAt(QPoint point) {
    QtCanvas measure(nullptr, font(), palette());
    const auto target = paint::MarkupLabelLinkAt(measure, Style(), TextRect(), ratio_, caption_.toStdString(),
                                                 {point.x(), point.y()});
    if (!target)
        return std::nullopt;
    return QString::fromStdString(*target);
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
    if (paint::OpensOnTheDesktop(target.toStdString()))
        openLink_(target);
    if (OnHyperLinkClick)
        OnHyperLinkClick(this, target);
}

} // namespace miran::widgets
