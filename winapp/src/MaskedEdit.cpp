#include "MaskedEdit.h"

#include "win32/Text.h"

#include <commctrl.h>

namespace miran::winapp {

MaskedEdit::MaskedEdit(HWND parent, int id, RECT place)
    : handle_(CreateWindowExW(
          WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, place.left,
          place.top, place.right - place.left, place.bottom - place.top, parent,
          reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr)) {
    SendMessageW(handle_, EM_SETLIMITTEXT, window::SerialMask::kPlaces, 0);
    SetWindowSubclass(handle_, Procedure, 0, reinterpret_cast<DWORD_PTR>(this));
    Show(0);
}

void MaskedEdit::SetText(const std::string& text) {
    mask_.SetText(text);
    Show(0);
}

void MaskedEdit::Show(std::size_t caret) {
    SetWindowTextW(handle_, win32::ToUtf16(mask_.Shown()).c_str());
    SendMessageW(handle_, EM_SETSEL, caret, static_cast<LPARAM>(caret));
}

std::pair<std::size_t, std::size_t> MaskedEdit::Selection() const {
    DWORD start = 0;
    DWORD end = 0;
    SendMessageW(handle_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return {start, end};
}

void MaskedEdit::Paste() {
    if (!OpenClipboard(handle_))
        return;
    std::string typed;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* text = static_cast<const wchar_t*>(GlobalLock(data))) {
            typed = win32::ToUtf8(text);
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    const auto [start, end] = Selection();
    Show(mask_.Replace(start, end, typed));
}

LRESULT CALLBACK MaskedEdit::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                       DWORD_PTR self) {
    auto& edit = *reinterpret_cast<MaskedEdit*>(self);
    switch (message) {
    case WM_CHAR: {
        if (wParam == VK_BACK) {
            const auto [start, end] = edit.Selection();
            edit.Show(edit.mask_.EraseBack(start, end));
            return 0;
        }
        // Control characters (Ctrl+C, Ctrl+V, ...) go to the control, which turns them into the messages
        // below.
        if (wParam < L' ')
            break;
        const auto [start, end] = edit.Selection();
        const std::string typed = win32::ToUtf8(std::wstring(1, static_cast<wchar_t>(wParam)));
        edit.Show(edit.mask_.Replace(start, end, typed));
        return 0;
    }
    case WM_KEYDOWN:
        // Shift+Insert and Shift+Delete are paste and cut: through the mask, like the messages below.
        if (GetKeyState(VK_SHIFT) < 0 && (wParam == VK_INSERT || wParam == VK_DELETE)) {
            SendMessageW(window, wParam == VK_INSERT ? WM_PASTE : WM_CUT, 0, 0);
            return 0;
        }
        if (wParam == VK_DELETE) {
            const auto [start, end] = edit.Selection();
            edit.Show(edit.mask_.EraseForward(start, end));
            return 0;
        }
        break;
    case WM_PASTE:
        edit.Paste();
        return 0;
    case WM_CUT:
    case WM_CLEAR: {
        if (message == WM_CUT)
            DefSubclassProc(window, WM_COPY, 0, 0);
        const auto [start, end] = edit.Selection();
        edit.Show(edit.mask_.Replace(start, end, ""));
        return 0;
    }
    case WM_NCDESTROY:
        RemoveWindowSubclass(window, Procedure, 0);
        break;
    default:
        break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

} // namespace miran::winapp
