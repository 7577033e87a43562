#pragma once

#include "win32/Font.h"
#include "win32/ObjectWindow.h"
#include "window/DebugWindow.h"

namespace miran::win32 {

// The "Debug" window: a read-only log filling the window that a double click clears
// (window::DebugWindow decides). Made hidden; closing it only hides it.
class TDebug : public ObjectWindow, private window::DebugView {
public:
    TDebug();

    HWND Memo() const { return memo_; }
    // As the release copy shows it: a normal, non-modal window.
    void Show();

private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    static LRESULT CALLBACK MemoSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR data);
    void ClearLines() override;

    FontHandle memoFont_{PixelFont("Courier New", 11)};
    HWND memo_ = nullptr;
    window::DebugWindow behaviour_{*this};
};

} // namespace miran::win32
