#pragma once

#include "hid/HidPlatform.h"

#include <vector>
#include <windows.h>

namespace miran::hid::windows_backend {

// An open device path: attributes, strings and feature reports through HID.dll on a synchronous handle,
// input reports through overlapped reads on a handle opened for them.
class WindowsHidHandle : public HidHandle {
public:
    explicit WindowsHidHandle(HANDLE handle);
    // Cancels a read still pending and waits for its completion before the handle goes.
    ~WindowsHidHandle() override;

    WindowsHidHandle(const WindowsHidHandle&) = delete;
    WindowsHidHandle& operator=(const WindowsHidHandle&) = delete;

    bool GetAttributes(HidAttributes& attributes) override;
    bool GetFeature(std::uint8_t* buffer, std::size_t length) override;
    bool SetFeature(const std::uint8_t* buffer, std::size_t length) override;
    bool GetSerialNumberString(std::string& serial) override;
    std::uint16_t InputReportLength() override;
    // Starts a read when none is pending, then waits alertably for its completion; a read that does not
    // finish within `wait` stays pending for the next call.
    HidInputRead ReadInputReport(std::uint8_t* buffer, std::size_t length,
                                 std::chrono::milliseconds wait) override;

private:
    static void CALLBACK ReadCompleted(DWORD error, DWORD bytes, LPOVERLAPPED overlapped);
    // CancelIo is looked up at each cancel: systems without it cancel nothing.
    bool CancelRead();

    HANDLE handle_;
    OVERLAPPED read_{};
    std::vector<std::uint8_t> readBuffer_;
    bool reading_ = false; // started, and its completion routine has not run yet
};

} // namespace miran::hid::windows_backend
