#pragma once

#include "paint/Color.h"
#include "win32/Windows.h"

#include <functional>

namespace miran::win32 {

// A window of one of this library's classes whose messages an object answers. The object owns the window:
// it destroys it when it goes, unless something destroyed it before (a parent going first).
class ObjectWindow {
public:
    HWND Handle() const { return hwnd_; }

    ObjectWindow(const ObjectWindow&) = delete;
    ObjectWindow& operator=(const ObjectWindow&) = delete;

protected:
    ObjectWindow() = default;
    // Messages sent while the window goes no longer reach the object, which is half gone by then.
    virtual ~ObjectWindow();

    struct Class {
        const wchar_t* name;
        UINT style = 0;
        HBRUSH background = nullptr;
    };
    // From the derived constructor's body, so that the creation messages reach the derived object.
    void Create(const Class& windowClass, DWORD exStyle, DWORD style, const wchar_t* title, int left, int top,
                int width, int height, HWND parent);

    // What the object does not answer goes to DefWindowProcW.
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);

    // WM_PAINT and WM_PRINTCLIENT: draw() paints the whole client area into an off-screen copy first, so
    // that nothing flickers.
    void Paint(UINT message, WPARAM wParam, const std::function<void(HDC dc, int width, int height)>& draw);

    int ClientWidth() const;
    int ClientHeight() const;

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND hwnd_ = nullptr;
};

// Paints the parent's background into this child's area of dc, where the child shows its parent.
void PaintParentBackground(HWND child, HDC dc);
// The colour the parent paints its static children's background with (WM_CTLCOLORSTATIC).
paint::TColor ParentBackground(HWND child);

} // namespace miran::win32
