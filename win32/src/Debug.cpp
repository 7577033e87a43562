#include "win32/Debug.h"

#include <commctrl.h>

namespace miran::win32 {
namespace {

constexpr UINT_PTR kMemoSubclass = 1;

} // namespace

TDebug::TDebug() {
    Create({L"TDebug", 0, GetSysColorBrush(COLOR_BTNFACE)}, 0, WS_OVERLAPPEDWINDOW, L"Debug", 1165, 59, 594,
           554, nullptr);
    memo_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                            WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY,
                            0, 0, ClientWidth(), ClientHeight(), Handle(), nullptr, GetModuleHandleW(nullptr),
                            nullptr);
    SendMessageW(memo_, WM_SETFONT, reinterpret_cast<WPARAM>(memoFont_.Get()), FALSE);
    SetWindowSubclass(memo_, MemoSubclass, kMemoSubclass, reinterpret_cast<DWORD_PTR>(this));
}

void TDebug::Show() {
    ShowWindow(Handle(), SW_SHOWNORMAL);
}

void TDebug::ClearLines() {
    SetWindowTextW(memo_, L"");
}

LRESULT TDebug::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        if (memo_ != nullptr)
            MoveWindow(memo_, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    case WM_CLOSE:
        ShowWindow(Handle(), SW_HIDE);
        return 0;
    default:
        return Default(message, wParam, lParam);
    }
}

LRESULT CALLBACK TDebug::MemoSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                      DWORD_PTR data) {
    if (message == WM_LBUTTONDBLCLK) {
        reinterpret_cast<TDebug*>(data)->behaviour_.MemoDblClick();
        return 0;
    }
    if (message == WM_NCDESTROY)
        RemoveWindowSubclass(window, MemoSubclass, kMemoSubclass);
    return DefSubclassProc(window, message, wParam, lParam);
}

} // namespace miran::win32
