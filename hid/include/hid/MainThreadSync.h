#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

namespace miran::hid {

// Supplied by the owner of a controller: runs the given call on the main thread soon (from its event loop).
// It may be called from any thread.
using MainThreadDispatcher = std::function<void(std::function<void()>)>;

// Lets worker threads run calls on the main thread and wait for them, the way a read thread delivers its
// reports. Without a dispatcher the calls run directly on the worker thread.
class MainThreadSync : public std::enable_shared_from_this<MainThreadSync> {
public:
    explicit MainThreadSync(MainThreadDispatcher dispatcher) : dispatcher_(std::move(dispatcher)) {}

    // Worker thread: runs the call on the main thread and returns once it has run.
    void Synchronize(const std::function<void()>& call);
    // Main thread: runs the handed-over calls until `done` holds. `done` is checked again after Wake.
    void RunUntil(const std::function<bool()>& done);
    void Wake();
    // Main thread: waits until no worker is inside the dispatcher any more. A worker left to end by itself
    // may still be there after its call has run, and the dispatcher's owner may go once the call returns.
    void WaitUntilDispatched();

private:
    struct Pending {
        const std::function<void()>* call;
        bool done = false;
    };

    void RunPending();

    MainThreadDispatcher dispatcher_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Pending*> pending_;
    int dispatching_ = 0; // workers inside dispatcher_
};

} // namespace miran::hid
