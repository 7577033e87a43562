#pragma once

#include "NotificationWindow.h"
#include "hid/HidPlatform.h"

#include <memory>
#include <windows.h>

namespace miran::hid::windows_backend {

// HID access through SetupApi.dll and HID.dll, both bound at run time: interfaces from the device-setup
// library, attributes, strings and reports through HID.dll, device-node changes as the broadcast a hidden
// top-level window receives. Without both libraries it is silent: no window, no interfaces, no notification.
class WindowsHidPlatform : public HidPlatform {
public:
    // Throws std::system_error when the notification window cannot be created.
    WindowsHidPlatform();
    ~WindowsHidPlatform() override;

    WindowsHidPlatform(const WindowsHidPlatform&) = delete;
    WindowsHidPlatform& operator=(const WindowsHidPlatform&) = delete;

    bool Loaded() const override;
    std::vector<THidPnPInfo> CollectInterfaces() override;
    // Any thread: uses only the bound entry points. Leaves the system's error in GetLastError() and its
    // class in errno.
    std::unique_ptr<HidHandle> Open(const THidPnPInfo& wanted, HidAccess access) override;
    int NotificationFd() const override { return -1; }
    void SetNotificationCallback(std::function<void()> pending) override { pending_ = std::move(pending); }
    void PostNotification() override;
    std::optional<long> TakeNotification() override;

private:
    void NodesChanged(LPARAM parameter);

    GUID hidClass_;
    // Main thread only, like the window's procedure.
    std::function<void()> pending_;
    std::optional<long> notification_;
    std::unique_ptr<NotificationWindow> window_;
};

} // namespace miran::hid::windows_backend
