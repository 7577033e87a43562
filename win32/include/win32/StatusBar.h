#pragma once

#include "paint/Font.h"
#include "paint/StatusBarLayout.h"
#include "win32/Font.h"
#include "win32/Windows.h"

#include <memory>
#include <string>
#include <vector>

namespace miran::win32 {

enum class TAlignment { taLeftJustify, taRightJustify, taCenter };
enum class TStatusPanelBevel { pbNone, pbLowered, pbRaised };

class TStatusBar;

// One part of the bar. It can host a child control (not owned), which the bar keeps at MarginLeft from the
// panel's nominal left edge and MarginTop from the bar's top (paint::StatusBarLayout places it).
class TStatusPanel {
public:
    TStatusPanel(const TStatusPanel&) = delete;
    TStatusPanel& operator=(const TStatusPanel&) = delete;

    const std::string& Text() const { return text_; }
    void setText(const std::string& text);
    int Width() const { return width_; }
    void setWidth(int width);
    TAlignment Alignment() const { return alignment_; }
    void setAlignment(TAlignment alignment);
    TStatusPanelBevel Bevel() const { return bevel_; }
    void setBevel(TStatusPanelBevel bevel);
    HWND Control() const { return control_; }
    // The control becomes the bar's child, gets the bar's height minus 4 and keeps its width. Throws
    // EComponentError "Invalid control selection" for the bar itself, leaving the panel empty.
    void setControl(HWND control);
    int MarginLeft() const { return marginLeft_; }
    void setMarginLeft(int margin);
    int MarginTop() const { return marginTop_; }
    void setMarginTop(int margin);

    int Index() const;

private:
    friend class TStatusBar;
    explicit TStatusPanel(TStatusBar* bar) : bar_(bar) {}
    void ShowText() const;

    TStatusBar* bar_;
    std::string text_;
    int width_ = 50;
    TAlignment alignment_ = TAlignment::taLeftJustify;
    TStatusPanelBevel bevel_ = TStatusPanelBevel::pbLowered;
    HWND control_ = nullptr;
    int marginLeft_ = 3;
    int marginTop_ = 3;
};

// The system's status bar (msctls_statusbar32) along the parent's bottom edge, its parts the panels' widths
// (the last reaches the right edge), its texts the panels'. It keeps hosted controls in their panels when it
// or its panels change; a control destroyed elsewhere leaves its panel empty. The parent passes WM_SIZE on
// to it, as to any status bar.
class TStatusBar {
public:
    explicit TStatusBar(HWND parent);
    ~TStatusBar();
    TStatusBar(const TStatusBar&) = delete;
    TStatusBar& operator=(const TStatusBar&) = delete;

    HWND Handle() const { return hwnd_; }

    int PanelCount() const { return static_cast<int>(panels_.size()); }
    TStatusPanel* Panel(int index) const { return panels_.at(static_cast<std::size_t>(index)).get(); }
    TStatusPanel* AddPanel();
    // Throws std::out_of_range "List index out of bounds (<index>)".
    void RemovePanel(int index);

    bool SizeGrip() const;
    void setSizeGrip(bool on);
    // Follow the desktop's status-bar font; setting a font of the bar's own (setFont) switches it off, so
    // only switching it on does something.
    bool UseSystemFont() const { return font_ == nullptr; }
    void setUseSystemFont(bool on);
    void setFont(const paint::Font& font);
    // The longer text shown as a tool tip when the pointer rests on the bar; none while empty.
    const std::string& Hint() const { return hint_; }
    void setHint(const std::string& hint);

    // Places every hosted control in its panel.
    void RepositionHostedControls();
    // Area of panel index in bar coordinates (the last panel stretches to the right edge).
    paint::TRect PanelRect(int index) const;

private:
    friend class TStatusPanel;
    static LRESULT CALLBACK Subclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                     DWORD_PTR data);
    std::vector<paint::PanelGeometry> Geometry() const;
    // After a change of the panels' widths or number.
    void PanelsLaidOut();
    void ControlDestroyed(HWND control);

    HWND hwnd_;
    HWND toolTip_ = nullptr;
    std::vector<std::unique_ptr<TStatusPanel>> panels_;
    std::unique_ptr<FontHandle> font_;
    std::string hint_;
};

} // namespace miran::win32
