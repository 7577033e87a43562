#pragma once

#include <exception>
#include <functional>
#include <string>

namespace miran::settings {

struct TPoint {
    int X = 0;
    int Y = 0;

    bool operator==(const TPoint&) const = default;
};

// Left and top inclusive, right and bottom exclusive.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    bool operator==(const TRect&) const = default;
};

struct TSize {
    int Width = 0;
    int Height = 0;
};

// Show commands of a placement record.
enum TShowCmd : int {
    SW_HIDE = 0,
    SW_SHOWNORMAL = 1,
    SW_SHOWMINIMIZED = 2,
    SW_SHOWMAXIMIZED = 3,
    SW_SHOWNOACTIVATE = 4,
    SW_SHOW = 5,
    SW_MINIMIZE = 6,
    SW_SHOWMINNOACTIVE = 7,
    SW_SHOWNA = 8,
    SW_RESTORE = 9,
};

// Placement flag: the minimised position is to be applied.
constexpr int WPF_SETMINPOSITION = 1;

// Where a top-level window is and how it is shown, in workspace (desktop) coordinates.
struct TWindowPlacement {
    int Flags = 0;
    int ShowCmd = SW_SHOWNORMAL;
    TPoint MinPosition;
    TPoint MaxPosition;
    // The window's rectangle when neither minimised nor maximised.
    TRect NormalPosition;

    bool operator==(const TWindowPlacement&) const = default;
};

enum class TWindowState { wsNormal, wsMinimized, wsMaximized };
enum class TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum class TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };

// How the form places itself when first shown. poDesigned keeps the stored position.
enum class TPosition {
    poDesigned,
    poDefault,
    poDefaultPosOnly,
    poDefaultSizeOnly,
    poScreenCenter,
    poDesktopCenter,
    poMainFormCenter,
    poOwnerFormCenter,
};

// Frame thicknesses in pixels, by the metric numbers the placement uses.
enum class TSystemMetric {
    CxBorder = 5,
    CyBorder = 6,
    CxDlgFrame = 7,
    CyDlgFrame = 8,
    CxFrame = 32,
    CyFrame = 33,
};

// The form's event handlers that a placement component chains into. The form calls them: OnShow
// just before it first becomes visible, OnCloseQuery when asked to close (canClose starts true), and
// OnDestroy while it is being destroyed.
struct TFormEvents {
    std::function<void()> OnShow;
    std::function<void(bool& canClose)> OnCloseQuery;
    std::function<void()> OnDestroy;
};

// The window of a form, as the placement component sees it. Implemented by the GUI for a real
// top-level window and by tests with a fake.
//
// With Qt, for a top-level QWidget: the normal rectangle is normalGeometry() turned into a frame
// rectangle (right and bottom exclusive), the show command follows windowState() (2 minimised,
// 3 maximised, else 1), flags and minimised position have no Qt meaning and are kept as stored;
// monitors are QGuiApplication::screenAt(), pixels per inch the primary screen's logicalDotsPerInch(),
// the desktop size the bounding rectangle of all screens' geometry(). The window must call the
// Events() handlers from its show, close and destroy handling.
class PlacementWindow {
public:
    virtual ~PlacementWindow() = default;

    // The form's component name (replaces "%FORM_NAME%" in storage paths).
    virtual std::string Name() const = 0;
    virtual TFormEvents& Events() = 0;

    // The native window exists.
    virtual bool HasWindow() const = 0;
    virtual bool IsWindowVisible() const = 0;
    virtual TWindowPlacement GetWindowPlacement() const = 0;
    // ShowCmd SW_HIDE means: apply the rectangle and positions but leave the visibility alone.
    virtual void SetWindowPlacement(const TWindowPlacement& placement) = 0;

    // This form is the application's main form, or there is no main form yet.
    virtual bool IsMainForm() const = 0;
    // The application as a whole is minimised.
    virtual bool IsApplicationIconic() const = 0;
    // Minimises the whole application (asynchronously, once the event loop runs).
    virtual void MinimizeApplication() = 0;

    virtual TFormStyle FormStyle() const = 0;
    virtual TFormBorderStyle BorderStyle() const = 0;
    virtual int GetSystemMetrics(TSystemMetric metric) const = 0;

    // Left, top, width and height of the form as it is now.
    virtual TRect BoundsRect() const = 0;
    virtual TPosition Position() const = 0;
    // Changes only the rule applied at the next show; must neither re-create nor move the window.
    virtual void SetPosition(TPosition position) = 0;
    virtual TWindowState WindowState() const = 0;
    // Shows the form in that state.
    virtual void SetWindowState(TWindowState state) = 0;
    // Records the state without showing or changing anything.
    virtual void SetStoredWindowState(TWindowState state) = 0;
    virtual void Repaint() = 0;

    // Monitor lookup: the point lies on some monitor.
    virtual bool IsPointOnMonitor(TPoint point) const = 0;
    virtual int ScreenPixelsPerInch() const = 0;
    // Size of the whole desktop, all monitors together.
    virtual TSize DesktopSize() const = 0;

    // Component name of the focused control, empty when none has the focus.
    virtual std::string ActiveControlName() const = 0;
    // Focuses the named control if it exists and can take the focus.
    virtual void FocusControl(const std::string& name) = 0;

    // The application's standard handling of an error: shows its message.
    virtual void ShowException(const std::exception& error) = 0;
};

} // namespace miran::settings
