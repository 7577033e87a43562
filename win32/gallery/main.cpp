// The Win32 controls in one window, as a look at them; with --capture FILE.png it writes the window as shown
// and ends (under Wine that needs its X11 driver: scripts/wine-x11).
#include "win32/Capture.h"
#include "win32/Font.h"
#include "win32/GradientProgress.h"
#include "win32/LED.h"
#include "win32/MarkupLabel.h"
#include "win32/ObjectWindow.h"
#include "win32/StatusBar.h"

#include <cstdio>
#include <cstring>
#include <memory>

using namespace miran;
using namespace miran::win32;

namespace {

class Gallery : public ObjectWindow {
public:
    Gallery() {
        RECT frame{0, 0, 349, 110};
        AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
        Create({L"MiranGallery", 0, GetSysColorBrush(COLOR_BTNFACE)}, 0, kStyle, L"Win32 controls", 100, 100,
               frame.right - frame.left, frame.bottom - frame.top, nullptr);
        ledOn_ = std::make_unique<TLED>(Handle(), 8, 8);
        ledOff_ = std::make_unique<TLED>(Handle(), 30, 8);
        ledOff_->setStatus(false);
        label_ = std::make_unique<TMarkupLabel>(Handle(), 56, 6, 0, 0);
        label_->setFont(PointFont("Tahoma", 8, true));
        label_->setCaption("Enter 13 Digits to use <b>POLY-MCU</b><br>with <a href=\"https://example.org/\">"
                           "Atmel-Studio</a>");
        blocks_ = std::make_unique<TGradientProgress>(Handle(), 8, 48, 333, 15);
        blocks_->setStartColor(paint::clNavy);
        blocks_->setEndColor(paint::clAqua);
        blocks_->setBorderStyle(TBorderStyle::bsSingle);
        blocks_->setPosition(60);
        bar_ = std::make_unique<TStatusBar>(Handle());
        bar_->setSizeGrip(false);
        bar_->setFont(PointFont("Tahoma", 8));
        bar_->AddPanel()->setWidth(250);
        bar_->AddPanel()->setWidth(50);
        bar_->Panel(0)->setText("Programmer identified");
        pBar_ = std::make_unique<TGradientProgress>(Handle(), 0, 0, 94, 15);
        pBar_->setSolid(true);
        pBar_->setStartColor(paint::clGreen);
        pBar_->setEndColor(paint::clLime);
        bar_->Panel(1)->setControl(pBar_->Handle());
        pBar_->setPosition(50);
    }

    // Where the client area starts in a capture of the whole window.
    POINT ClientOrigin() const {
        RECT frame{};
        GetWindowRect(Handle(), &frame);
        POINT origin{0, 0};
        ClientToScreen(Handle(), &origin);
        return {origin.x - frame.left, origin.y - frame.top};
    }

private:
    static constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        switch (message) {
        case WM_SIZE:
            if (bar_)
                SendMessageW(bar_->Handle(), WM_SIZE, wParam, lParam);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return Default(message, wParam, lParam);
        }
    }

    std::unique_ptr<TLED> ledOn_, ledOff_;
    std::unique_ptr<TMarkupLabel> label_;
    std::unique_ptr<TGradientProgress> blocks_, pBar_;
    std::unique_ptr<TStatusBar> bar_;
};

void ProcessPendingMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

} // namespace

int main(int argc, char** argv) {
    const bool capture = argc == 3 && std::strcmp(argv[1], "--capture") == 0;
    if (argc != 1 && !capture) {
        std::fprintf(stderr, "usage: miran-win32-gallery [--capture FILE.png]\n");
        return 2;
    }
    Gallery gallery;
    ShowWindow(gallery.Handle(), SW_SHOWNORMAL);
    UpdateWindow(gallery.Handle());
    if (capture) {
        ProcessPendingMessages();
        RedrawWindow(gallery.Handle(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        const POINT origin = gallery.ClientOrigin();
        if (!WritePng(CaptureWindow(gallery.Handle()), argv[2])) {
            std::fprintf(stderr, "cannot write %s\n", argv[2]);
            return 1;
        }
        std::printf("client %ld %ld\n", origin.x, origin.y);
        return 0;
    }
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
