#include "QtPlacementWindow.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <cmath>

namespace miran::app {

using namespace miran::settings;

namespace {

// Frame margins of a window that is not shown yet are unknown; zero then.
QMargins FrameMargins(const QWidget& window) {
    QRect frame = window.frameGeometry();
    QRect client = window.geometry();
    return {client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
            frame.bottom() - client.bottom()};
}

} // namespace

QtPlacementWindow::QtPlacementWindow(QWidget& window, TFormBorderStyle borderStyle, TPosition position)
    : window_(window), borderStyle_(borderStyle), position_(position) {}

std::string QtPlacementWindow::Name() const { return window_.objectName().toStdString(); }

bool QtPlacementWindow::HasWindow() const { return window_.testAttribute(Qt::WA_WState_Created); }

bool QtPlacementWindow::IsWindowVisible() const { return window_.isVisible(); }

TWindowPlacement QtPlacementWindow::GetWindowPlacement() const {
    TWindowPlacement placement = kept_;
    QRect normal = window_.normalGeometry().isValid() ? window_.normalGeometry() : window_.geometry();
    normal = normal.marginsAdded(FrameMargins(window_));
    placement.NormalPosition = {normal.left(), normal.top(), normal.left() + normal.width(),
                                normal.top() + normal.height()};
    placement.ShowCmd = window_.isMinimized() ? SW_SHOWMINIMIZED
                        : window_.isMaximized() ? SW_SHOWMAXIMIZED
                                                : SW_SHOWNORMAL;
    return placement;
}

void QtPlacementWindow::SetWindowPlacement(const TWindowPlacement& placement) {
    kept_ = placement;
    const TRect& r = placement.NormalPosition;
    QRect frame(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
    QRect client = frame.marginsRemoved(FrameMargins(window_));
    // A fixed-size window keeps its size; only its place changes.
    if (window_.minimumSize() == window_.maximumSize())
        window_.move(frame.topLeft());
    else
        window_.setGeometry(client);
    switch (placement.ShowCmd) {
    case SW_HIDE:
        break;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE:
        window_.setWindowState(Qt::WindowMinimized);
        break;
    case SW_SHOWMAXIMIZED:
        window_.setWindowState(Qt::WindowMaximized);
        break;
    default:
        window_.setWindowState(Qt::WindowNoState);
        break;
    }
}

bool QtPlacementWindow::IsApplicationIconic() const { return window_.isMinimized(); }

void QtPlacementWindow::MinimizeApplication() {
    QTimer::singleShot(0, &window_, [window = &window_] { window->showMinimized(); });
}

int QtPlacementWindow::GetSystemMetrics(TSystemMetric metric) const {
    switch (metric) {
    case TSystemMetric::CxBorder:
    case TSystemMetric::CyBorder:
        return 1;
    case TSystemMetric::CxDlgFrame:
    case TSystemMetric::CyDlgFrame:
        return 3;
    case TSystemMetric::CxFrame:
    case TSystemMetric::CyFrame:
        return 4;
    }
    return 0;
}

TRect QtPlacementWindow::BoundsRect() const {
    QRect frame = window_.frameGeometry();
    return {frame.left(), frame.top(), frame.left() + frame.width(), frame.top() + frame.height()};
}

TWindowState QtPlacementWindow::WindowState() const {
    if (!window_.isVisible())
        return storedState_;
    return window_.isMinimized() ? TWindowState::wsMinimized
           : window_.isMaximized() ? TWindowState::wsMaximized
                                   : TWindowState::wsNormal;
}

void QtPlacementWindow::SetWindowState(TWindowState state) {
    storedState_ = state;
    window_.setWindowState(state == TWindowState::wsMinimized   ? Qt::WindowMinimized
                           : state == TWindowState::wsMaximized ? Qt::WindowMaximized
                                                                : Qt::WindowNoState);
}

void QtPlacementWindow::Repaint() { window_.update(); }

bool QtPlacementWindow::IsPointOnMonitor(TPoint point) const {
    return QGuiApplication::screenAt(QPoint(point.X, point.Y)) != nullptr;
}

int QtPlacementWindow::ScreenPixelsPerInch() const {
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? static_cast<int>(std::lround(screen->logicalDotsPerInch())) : 96;
}

TSize QtPlacementWindow::DesktopSize() const {
    QScreen* screen = QGuiApplication::primaryScreen();
    QSize size = screen ? screen->virtualGeometry().size() : QSize();
    return {size.width(), size.height()};
}

std::string QtPlacementWindow::ActiveControlName() const {
    QWidget* focused = window_.focusWidget();
    return focused ? focused->objectName().toStdString() : std::string();
}

void QtPlacementWindow::FocusControl(const std::string& name) {
    if (auto* control = window_.findChild<QWidget*>(QString::fromStdString(name)); control && control->isEnabled())
        control->setFocus();
}

void QtPlacementWindow::ShowException(const std::exception& error) {
    QMessageBox::critical(&window_, window_.windowTitle(), QString::fromLocal8Bit(error.what()));
}

void QtPlacementWindow::ApplyPosition() {
    if (position_ != TPosition::poDesktopCenter && position_ != TPosition::poScreenCenter)
        return;
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect area = position_ == TPosition::poDesktopCenter ? screen->virtualGeometry() : screen->geometry();
    QRect frame = window_.frameGeometry();
    window_.move(area.center() - QPoint(frame.width() / 2, frame.height() / 2));
}

} // namespace miran::app
