#pragma once

#include "win32/Font.h"
#include "win32/ObjectWindow.h"
#include "win32/Windows.h"

#include <commctrl.h>

namespace miran::win32 {

// The "MsgBox" tool window: an empty picture area, the label "InfoLabel" and four pictures that nothing
// shows. Made hidden; nothing in the program shows it.
class TMsgBox : public ObjectWindow {
public:
    // The child that showing the window focuses, when there is one and it is a button.
    static constexpr int kBut1 = 1;

    TMsgBox();
    ~TMsgBox() override;

    HWND Img() const { return img_; }
    HWND InfoLabel() const { return infoLabel_; }
    // Exclamation, stop, information, question (paint::MessageGlyph).
    HIMAGELIST IconImg() const { return iconImg_; }

private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void FormShow();

    FontHandle labelFont_{PixelFont("Verdana", 11)};
    HWND img_ = nullptr;
    HWND infoLabel_ = nullptr;
    HIMAGELIST iconImg_ = nullptr;
};

} // namespace miran::win32
