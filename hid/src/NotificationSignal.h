#pragma once

#include <functional>
#include <memory>

namespace miran::hid {

// Tells the main thread, from any thread, that a notification is pending. On Linux it is an eventfd the
// owner's loop watches; on Windows a message-only window whose procedure runs the callback when the main
// thread's loop dispatches its messages.
class NotificationSignal {
public:
    NotificationSignal(); // throws std::system_error when the system refuses
    ~NotificationSignal();
    NotificationSignal(const NotificationSignal&) = delete;
    NotificationSignal& operator=(const NotificationSignal&) = delete;

    // Readable while a notification is pending; -1 where the callback is used instead.
    int Fd() const;
    // Main thread only.
    void SetCallback(std::function<void()> pending);
    void Raise();
    // Takes what is pending: false when nothing was.
    bool Consume();

    struct State;

private:
    std::unique_ptr<State> state_;
};

} // namespace miran::hid
