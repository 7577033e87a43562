#include "NotificationWindow.h"

#include <dbt.h>
#include <exception>
#include <system_error>

namespace miran::hid::windows_backend {

namespace {

constexpr const char* kClassName = "MiranHidNotificationWindow";

std::system_error LastSystemError(const char* call) {
    return std::system_error(static_cast<int>(GetLastError()), std::system_category(), call);
}

} // namespace

NotificationWindow::NotificationWindow(NodesChanged nodesChanged) : nodesChanged_(std::move(nodesChanged)) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    static const ATOM windowClass = [instance] {
        WNDCLASSA description{};
        description.lpfnWndProc = Procedure;
        description.hInstance = instance;
        description.lpszClassName = kClassName;
        return RegisterClassA(&description);
    }();
    if (windowClass == 0)
        throw LastSystemError("RegisterClassA");
    // Never shown: created without WS_VISIBLE.
    window_ = CreateWindowExA(0, kClassName, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
    if (!window_)
        throw LastSystemError("CreateWindowExA");
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

NotificationWindow::~NotificationWindow() {
    SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
}

void NotificationWindow::Post(LPARAM parameter) {
    PostMessageA(window_, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, parameter);
}

LRESULT CALLBACK NotificationWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<NotificationWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    // A failed scan reaches the message loop, but only after the message has had its default handling.
    std::exception_ptr error;
    if (self && message == WM_DEVICECHANGE && wParam == DBT_DEVNODES_CHANGED) {
        try {
            self->nodesChanged_(lParam);
        } catch (...) {
            error = std::current_exception();
        }
    }
    const LRESULT result = DefWindowProcA(window, message, wParam, lParam);
    if (error)
        std::rethrow_exception(error);
    return result;
}

} // namespace miran::hid::windows_backend
