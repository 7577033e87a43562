#pragma once

#include "settings/PlacementWindow.h"

#include <map>
#include <string>
#include <vector>

namespace miran::settings::testing {

// A top-level window on a desktop of monitors, recording what the placement component does to it.
class FakePlacementWindow : public PlacementWindow {
public:
    // Designed 600x300, centred on a single 1920x1080 monitor at 96 pixels per inch, not yet shown.
    FakePlacementWindow() {
        placement.MinPosition = {-1, -1};
        placement.NormalPosition = {660, 390, 1260, 690};
    }

    std::string Name() const override { return "Main"; }
    TFormEvents& Events() override { return events; }
    bool HasWindow() const override { return hasWindow; }
    bool IsWindowVisible() const override { return visible; }
    TWindowPlacement GetWindowPlacement() const override {
        auto current = placement;
        current.ShowCmd = windowState == TWindowState::wsMinimized   ? SW_SHOWMINIMIZED
                          : windowState == TWindowState::wsMaximized ? SW_SHOWMAXIMIZED
                                                                     : SW_SHOWNORMAL;
        return current;
    }
    void SetWindowPlacement(const TWindowPlacement& applied) override {
        placement = applied;
        appliedPlacements.push_back(applied);
    }
    bool IsMainForm() const override { return true; }
    bool IsApplicationIconic() const override { return applicationIconic; }
    void MinimizeApplication() override { applicationMinimized = true; }
    TFormStyle FormStyle() const override { return formStyle; }
    TFormBorderStyle BorderStyle() const override { return borderStyle; }
    int GetSystemMetrics(TSystemMetric metric) const override { return metrics.at(metric); }
    TRect BoundsRect() const override { return placement.NormalPosition; }
    TPosition Position() const override { return position; }
    void SetPosition(TPosition value) override { position = value; }
    TWindowState WindowState() const override { return windowState; }
    void SetWindowState(TWindowState state) override {
        windowState = state;
        shownStates.push_back(state);
    }
    void SetStoredWindowState(TWindowState state) override { windowState = state; }
    void Repaint() override { ++repaints; }
    bool IsPointOnMonitor(TPoint point) const override {
        for (const auto& m : monitors)
            if (point.X >= m.Left && point.X < m.Right && point.Y >= m.Top && point.Y < m.Bottom)
                return true;
        return false;
    }
    int ScreenPixelsPerInch() const override { return pixelsPerInch; }
    TSize DesktopSize() const override { return desktop; }
    std::string ActiveControlName() const override { return activeControl; }
    void FocusControl(const std::string& name) override { focused = name; }
    void ShowException(const std::exception& error) override { exceptions.push_back(error.what()); }

    // What the GUI does when the window is shown for the first time.
    void Show() {
        if (events.OnShow)
            events.OnShow();
        visible = true;
    }
    bool CloseQuery() {
        bool canClose = true;
        if (events.OnCloseQuery)
            events.OnCloseQuery(canClose);
        return canClose;
    }
    void Destroy() {
        if (events.OnDestroy)
            events.OnDestroy();
    }

    TFormEvents events;
    bool hasWindow = true;
    bool visible = false;
    TWindowPlacement placement;
    bool applicationIconic = false;
    bool applicationMinimized = false;
    TFormStyle formStyle = TFormStyle::fsNormal;
    TFormBorderStyle borderStyle = TFormBorderStyle::bsSingle;
    std::map<TSystemMetric, int> metrics = {
        {TSystemMetric::CxBorder, 1},   {TSystemMetric::CyBorder, 2}, {TSystemMetric::CxDlgFrame, 3},
        {TSystemMetric::CyDlgFrame, 4}, {TSystemMetric::CxFrame, 5},  {TSystemMetric::CyFrame, 6},
    };
    TPosition position = TPosition::poDesktopCenter;
    TWindowState windowState = TWindowState::wsNormal;
    std::vector<TRect> monitors = {{0, 0, 1920, 1080}};
    int pixelsPerInch = 96;
    TSize desktop = {1920, 1080};
    std::string activeControl;
    std::string focused;

    std::vector<TWindowPlacement> appliedPlacements;
    std::vector<TWindowState> shownStates;
    std::vector<std::string> exceptions;
    int repaints = 0;
};

} // namespace miran::settings::testing
