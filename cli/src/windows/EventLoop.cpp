#include "EventLoop.h"

#include "Failure.h"
#include "cli/Cli.h"

#include <system_error>
#include <windows.h>

namespace miran::cli {

struct EventLoop::Wake {
    HANDLE event; // auto reset: one Dispatch runs what was posted until then
};

EventLoop::EventLoop(const Interruption& interruption)
    : interruption_(interruption), wake_(new Wake{CreateEventA(nullptr, FALSE, FALSE, nullptr)}) {
    if (wake_->event == nullptr)
        throw std::system_error(static_cast<int>(GetLastError()), std::system_category(), "CreateEventA");
}

EventLoop::~EventLoop() {
    CloseHandle(wake_->event);
}

void EventLoop::Post(std::function<void()> call) {
    {
        std::lock_guard lock(postedMutex_);
        posted_.push_back(std::move(call));
    }
    SetEvent(wake_->event);
}

bool EventLoop::Dispatch(hid::THidDeviceController& /*controller*/, std::chrono::milliseconds timeout) {
    const HANDLE interrupted = reinterpret_cast<HANDLE>(interruption_.Signal());
    const HANDLE handles[2] = {interrupted, wake_->event};
    // Also wakes for messages that were already in the queue when the last round looked.
    const DWORD woken = MsgWaitForMultipleObjectsEx(2, handles, static_cast<DWORD>(timeout.count()),
                                                    QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (woken == WAIT_TIMEOUT || woken == WAIT_FAILED)
        return false;
    if (WaitForSingleObject(interrupted, 0) == WAIT_OBJECT_0)
        throw Failure{kExitInterrupted, "Interrupted"};
    if (woken == WAIT_OBJECT_0 + 1)
        RunPosted();
    // The controller's notifications arrive as messages to the backend's hidden windows, whose procedures
    // handle them; an exception a scan raises comes out of DispatchMessageA.
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return true;
}

} // namespace miran::cli
