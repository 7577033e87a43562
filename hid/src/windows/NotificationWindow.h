#pragma once

#include <functional>
#include <windows.h>

namespace miran::hid::windows_backend {

// A hidden top-level window of its own class: the system broadcasts device-node changes to top-level windows
// only, so a message-only window would never hear them. No registration call is needed.
class NotificationWindow {
public:
    // Called on the window's thread with the parameter of each WM_DEVICECHANGE / DBT_DEVNODES_CHANGED.
    using NodesChanged = std::function<void(LPARAM parameter)>;

    // Throws std::system_error when the window cannot be created.
    explicit NotificationWindow(NodesChanged nodesChanged);
    ~NotificationWindow();

    NotificationWindow(const NotificationWindow&) = delete;
    NotificationWindow& operator=(const NotificationWindow&) = delete;

    // Queues a device-node change with that parameter to the window itself.
    void Post(LPARAM parameter);

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    NodesChanged nodesChanged_;
    HWND window_ = nullptr;
};

} // namespace miran::hid::windows_backend
