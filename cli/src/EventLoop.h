#pragma once

#include "Interruption.h"
#include "hid/HidDeviceController.h"

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

namespace miran::cli {

// The command line's main-thread loop. It waits for the interruption, for the calls other threads hand to
// the main thread, and for the controller's notifications: on Linux their descriptor, which the loop
// handles; on Windows the thread's window messages, whose procedures handle them.
class EventLoop {
public:
    explicit EventLoop(const Interruption& interruption);
    ~EventLoop();

    EventLoop(const EventLoop&) = delete;
    EventLoop& operator=(const EventLoop&) = delete;

    // Any thread: runs the call on the main thread at its next Dispatch.
    void Post(std::function<void()> call);
    // Waits up to `timeout` for events and handles them; false on timeout. Throws Failure kExitInterrupted
    // once interrupted.
    bool Dispatch(hid::THidDeviceController& controller, std::chrono::milliseconds timeout);

private:
    struct Wake; // what Post sets for Dispatch: an eventfd, an event HANDLE
    void RunPosted();

    const Interruption& interruption_;
    std::unique_ptr<Wake> wake_;
    std::mutex postedMutex_;
    std::deque<std::function<void()>> posted_;
};

} // namespace miran::cli
