#include "widgets/StatusBar.h"

#include "QtCanvas.h"
#include "core/ComponentError.h"
#include "paint/StatusBarLayout.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QStatusTipEvent>
#include <QStyle>
#include <QStyleOption>
#include <QWindow>
#include <stdexcept>
#include <string>

namespace miran::widgets {
namespace {

constexpr int kTopBorder = 2; // above the hint text and the size grip
constexpr int kTextPadding = 2;

} // namespace

TStatusPanel::~TStatusPanel() {
    QObject::disconnect(watch_);
}

int TStatusPanel::Index() const {
    for (int i = 0; i < bar_->PanelCount(); ++i) {
        if (bar_->Panel(i) == this)
            return i;
    }
    return -1;
}

void TStatusPanel::setText(const QString& text) {
    if (text == text_)
        return;
    text_ = text;
    bar_->EndHint();
    bar_->update(bar_->PanelRect(Index()));
}

void TStatusPanel::setWidth(int width) {
    if (width == width_)
        return;
    width_ = width;
    bar_->PanelsLaidOut();
}

void TStatusPanel::setAlignment(TAlignment alignment) {
    if (alignment == alignment_)
        return;
    alignment_ = alignment;
    bar_->PanelChanged(this);
}

void TStatusPanel::setBevel(TStatusPanelBevel bevel) {
    if (bevel == bevel_)
        return;
    bevel_ = bevel;
    bar_->PanelChanged(this);
}

void TStatusPanel::setStyle(TStatusPanelStyle style) {
    if (style == style_)
        return;
    style_ = style;
    bar_->PanelChanged(this);
}

void TStatusPanel::setMarginLeft(int margin) {
    if (margin == marginLeft_)
        return;
    marginLeft_ = margin;
    bar_->PanelChanged(this);
    bar_->RepositionHostedControls();
}

void TStatusPanel::setMarginTop(int margin) {
    if (margin == marginTop_)
        return;
    marginTop_ = margin;
    bar_->PanelChanged(this);
    bar_->RepositionHostedControls();
}

void TStatusPanel::Watch(QWidget* control) {
    QObject::disconnect(watch_);
    control_ = control;
    if (control) {
        // A hosted control destroyed elsewhere silently leaves the panel empty.
        watch_ = QObject::connect(control, &QObject::destroyed, bar_, [this] {
            control_ = nullptr;
            QObject::disconnect(watch_);
        });
    }
}

void TStatusPanel::setControl(QWidget* control) {
    if (control != control_)
        Watch(control);
    if (control_) {
        if (control_ == bar_) {
            Watch(nullptr);
            bar_->PanelChanged(this);
            throw EComponentError("Invalid control selection");
        }
        if (control_->parentWidget() != bar_) {
            const bool hidden =
                control_->testAttribute(Qt::WA_WState_ExplicitShowHide) && control_->isHidden();
            control_->setParent(bar_);
            control_->setVisible(!hidden);
        }
        control_->resize(control_->width(), paint::HostedControlHeight(bar_->height()));
    }
    bar_->PanelChanged(this);
    bar_->RepositionHostedControls();
}

TStatusBar::TStatusBar(QWidget* parent) : QWidget(parent) {
    ApplyColor();
    resize(width(), paint::kStatusBarHeight);
}

TStatusBar::~TStatusBar() {
    // Panels let go of their controls first; the controls die with the bar as its children.
    panels_.clear();
}

TStatusPanel* TStatusBar::AddPanel() {
    panels_.push_back(std::unique_ptr<TStatusPanel>(new TStatusPanel(this)));
    PanelsLaidOut();
    return panels_.back().get();
}

void TStatusBar::RemovePanel(int index) {
    if (index < 0 || index >= PanelCount())
        throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
    panels_.erase(panels_.begin() + index);
    PanelsLaidOut();
}

void TStatusBar::setSizeGrip(bool on) {
    if (on == sizeGrip_)
        return;
    sizeGrip_ = on;
    update();
}

void TStatusBar::setUseSystemFont(bool on) {
    if (on == useSystemFont_)
        return;
    useSystemFont_ = on;
    update();
}

void TStatusBar::setColor(TColor c) {
    if (c == color_)
        return;
    color_ = c;
    ApplyColor();
    update();
}

void TStatusBar::ApplyColor() {
    // Children that follow their parent's colour (the hosted progress bar) see it too.
    QPalette p = palette();
    p.setColor(QPalette::Window, Resolve(color_, QApplication::palette()));
    setPalette(p);
}

void TStatusBar::setAutoHint(bool on) {
    if (on == autoHint_)
        return;
    autoHint_ = on;
    if (on) {
        qApp->installEventFilter(this);
    } else {
        qApp->removeEventFilter(this);
        EndHint();
    }
}

bool TStatusBar::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::StatusTip) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget->window() == window())
            ShowHint(static_cast<QStatusTipEvent*>(event)->tip());
    }
    return QWidget::eventFilter(watched, event);
}

void TStatusBar::ShowHint(const QString& hint) {
    if (!autoHint_)
        return;
    const QString text = hint.trimmed();
    if (text.isEmpty()) {
        EndHint();
        return;
    }
    if (!hintShowing_) {
        for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (child->isVisible()) {
                child->hide();
                hiddenControls_.append(child);
            }
        }
        hintShowing_ = true;
    }
    hintText_ = text;
    update();
}

void TStatusBar::EndHint() {
    if (!hintShowing_)
        return;
    for (const QPointer<QWidget>& control : std::as_const(hiddenControls_)) {
        if (control)
            control->show();
    }
    hiddenControls_.clear();
    hintShowing_ = false;
    update();
}

void TStatusBar::PanelChanged(TStatusPanel* panel) {
    EndHint();
    update(PanelRect(panel->Index()));
}

void TStatusBar::PanelsLaidOut() {
    EndHint();
    update();
    RepositionHostedControls();
}

std::vector<paint::PanelGeometry> TStatusBar::Geometry() const {
    std::vector<paint::PanelGeometry> panels;
    for (const auto& panel : panels_)
        panels.push_back({panel->Width(), panel->MarginLeft(), panel->MarginTop()});
    return panels;
}

void TStatusBar::RepositionHostedControls() {
    const std::vector<paint::PanelGeometry> panels = Geometry();
    for (int i = 0; i < PanelCount(); ++i) {
        if (QWidget* control = panels_[i]->Control()) {
            const paint::TPoint at = paint::HostedControlPosition(panels, i);
            control->move(at.X, at.Y);
        }
    }
}

QRect TStatusBar::PanelRect(int index) const {
    return ToQRect(paint::PanelRect(Geometry(), index, width(), height()));
}

QSize TStatusBar::sizeHint() const {
    return {QWidget::sizeHint().width(), paint::kStatusBarHeight};
}

QFont TStatusBar::PanelFont() const {
    return useSystemFont_ ? QApplication::font("QStatusBar") : font();
}

QRect TStatusBar::GripRect() const {
    if (!sizeGrip_ || window()->isMaximized() || window()->isFullScreen())
        return {};
    const int side = height() - kTopBorder;
    return QRect(width() - side, kTopBorder, side, side);
}

void TStatusBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Resolve(color_, palette()));
    painter.setFont(PanelFont());
    if (hintShowing_) {
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(rect().adjusted(kTextPadding, kTopBorder, -kTextPadding, 0),
                         Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, hintText_);
    } else if (panels_.empty()) {
        DrawPanel(painter, nullptr, rect());
    } else {
        for (int i = 0; i < PanelCount(); ++i)
            DrawPanel(painter, panels_[i].get(), PanelRect(i));
    }
    if (const QRect grip = GripRect(); !grip.isEmpty()) {
        QStyleOptionSizeGrip option;
        option.initFrom(this);
        option.rect = grip;
        option.corner = layoutDirection() == Qt::RightToLeft ? Qt::BottomLeftCorner : Qt::BottomRightCorner;
        style()->drawControl(QStyle::CE_SizeGrip, &option, &painter, this);
    }
}

void TStatusBar::DrawPanel(QPainter& painter, TStatusPanel* panel, const QRect& area) {
    const paint::TRect frame = paint::PanelFrame(ToRect(area));
    const TStatusPanelBevel bevel = panel ? panel->Bevel() : TStatusPanelBevel::pbLowered;
    QtCanvas canvas(&painter, painter.font(), palette());
    if (bevel == TStatusPanelBevel::pbLowered)
        paint::DrawPanelBevel(canvas, frame, clBtnShadow, clBtnHighlight);
    else if (bevel == TStatusPanelBevel::pbRaised)
        paint::DrawPanelBevel(canvas, frame, clBtnHighlight, clBtnShadow);
    if (!panel)
        return;
    const QRect inner = ToQRect(paint::PanelTextRect(ToRect(area)));
    if (panel->Style() == TStatusPanelStyle::psOwnerDraw) {
        if (OnDrawPanel)
            OnDrawPanel(this, panel, painter, inner);
        return;
    }
    const Qt::Alignment horizontal = panel->Alignment() == TAlignment::taCenter         ? Qt::AlignHCenter
                                     : panel->Alignment() == TAlignment::taRightJustify ? Qt::AlignRight
                                                                                        : Qt::AlignLeft;
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(inner, horizontal | Qt::AlignVCenter | Qt::TextSingleLine, panel->Text());
}

void TStatusBar::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    RepositionHostedControls();
}

void TStatusBar::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    RepositionHostedControls();
}

void TStatusBar::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    RepositionHostedControls();
}

void TStatusBar::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange && testAttribute(Qt::WA_SetFont))
        useSystemFont_ = false;
    if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange)
        update();
}

void TStatusBar::mousePressEvent(QMouseEvent* event) {
    EndHint();
    if (event->button() == Qt::LeftButton && GripRect().contains(event->position().toPoint()) &&
        window()->windowHandle()) {
        window()->windowHandle()->startSystemResize(Qt::BottomEdge | Qt::RightEdge);
        return;
    }
    QWidget::mousePressEvent(event);
}

} // namespace miran::widgets
