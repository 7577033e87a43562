#pragma once

#include "settings/PlacementWindow.h"

class QWidget;

namespace miran::app {

// A top-level Qt window as the placement storage sees it. Rectangles are frame rectangles in desktop
// coordinates; flags and the minimised and maximised positions have no Qt meaning and are kept as given.
class QtPlacementWindow : public settings::PlacementWindow {
public:
    QtPlacementWindow(QWidget& window, settings::TFormBorderStyle borderStyle, settings::TPosition position);

    std::string Name() const override;
    settings::TFormEvents& Events() override { return events_; }
    bool HasWindow() const override;
    bool IsWindowVisible() const override;
    settings::TWindowPlacement GetWindowPlacement() const override;
    void SetWindowPlacement(const settings::TWindowPlacement& placement) override;
    bool IsMainForm() const override { return true; }
    bool IsApplicationIconic() const override;
    void MinimizeApplication() override;
    settings::TFormStyle FormStyle() const override { return settings::TFormStyle::fsNormal; }
    settings::TFormBorderStyle BorderStyle() const override { return borderStyle_; }
    int GetSystemMetrics(settings::TSystemMetric metric) const override;
    settings::TRect BoundsRect() const override;
    settings::TPosition Position() const override { return position_; }
    void SetPosition(settings::TPosition position) override { position_ = position; }
    settings::TWindowState WindowState() const override;
    void SetWindowState(settings::TWindowState state) override;
    void SetStoredWindowState(settings::TWindowState state) override { storedState_ = state; }
    void Repaint() override;
    bool IsPointOnMonitor(settings::TPoint point) const override;
    int ScreenPixelsPerInch() const override;
    settings::TSize DesktopSize() const override;
    std::string ActiveControlName() const override;
    void FocusControl(const std::string& name) override;
    void ShowException(const std::exception& error) override;

    // Places the window as its Position asks for, before the stored placement applies.
    void ApplyPosition();

private:
    QWidget& window_;
    settings::TFormEvents events_;
    settings::TFormBorderStyle borderStyle_;
    settings::TPosition position_;
    settings::TWindowState storedState_ = settings::TWindowState::wsNormal;
    settings::TWindowPlacement kept_;
};

} // namespace miran::app
