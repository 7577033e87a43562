#include "NotificationSignal.h"

#include <atomic>
#include <system_error>
#include <windows.h>

namespace miran::hid {

struct NotificationSignal::State {
    HWND window = nullptr;
    std::function<void()> callback;
    std::atomic<bool> pending{false};
};

namespace {

constexpr UINT kPendingMessage = WM_APP;
constexpr const char* kClassName = "MiranNotificationSignal";

LRESULT CALLBACK SignalProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != kPendingMessage)
        return DefWindowProcA(window, message, wParam, lParam);
    auto* state = reinterpret_cast<NotificationSignal::State*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    // A copy: the callback may clear it (its controller may go).
    std::function<void()> callback = state->callback;
    if (callback)
        callback();
    return 0;
}

void RegisterWindowClass() {
    static const bool registered = [] {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = SignalProcedure;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = kClassName;
        if (RegisterClassA(&windowClass) == 0)
            throw std::system_error(static_cast<int>(GetLastError()), std::system_category(),
                                    "RegisterClassA");
        return true;
    }();
    (void)registered;
}

} // namespace

NotificationSignal::NotificationSignal() : state_(std::make_unique<State>()) {
    RegisterWindowClass();
    state_->window = CreateWindowExA(0, kClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                     GetModuleHandleA(nullptr), nullptr);
    if (state_->window == nullptr)
        throw std::system_error(static_cast<int>(GetLastError()), std::system_category(), "CreateWindowExA");
    SetWindowLongPtrA(state_->window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state_.get()));
}

NotificationSignal::~NotificationSignal() {
    DestroyWindow(state_->window);
}

int NotificationSignal::Fd() const {
    return -1;
}

void NotificationSignal::SetCallback(std::function<void()> pending) {
    state_->callback = std::move(pending);
    // What was raised while nobody listened is announced again, as a descriptor would stay readable.
    if (state_->callback && state_->pending)
        PostMessageA(state_->window, kPendingMessage, 0, 0);
}

void NotificationSignal::Raise() {
    state_->pending = true;
    PostMessageA(state_->window, kPendingMessage, 0, 0);
}

bool NotificationSignal::Consume() {
    return state_->pending.exchange(false);
}

} // namespace miran::hid
