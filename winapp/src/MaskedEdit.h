#pragma once

#include "WindowsApi.h"
#include "window/SerialMask.h"

#include <string>

namespace miran::winapp {

// An EDIT control that edits through the serial mask: typing overwrites, erasing leaves blanks.
class MaskedEdit {
public:
    MaskedEdit(HWND parent, int id, RECT place);
    MaskedEdit(const MaskedEdit&) = delete;
    MaskedEdit& operator=(const MaskedEdit&) = delete;

    HWND Handle() const { return handle_; }
    void SetText(const std::string& text);
    const std::string& Shown() const { return mask_.Shown(); }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                      DWORD_PTR self);
    // Shows the mask's text with the caret at caret.
    void Show(std::size_t caret);
    // The selection as places.
    std::pair<std::size_t, std::size_t> Selection() const;
    void Paste();

    HWND handle_;
    window::SerialMask mask_;
};

} // namespace miran::winapp
