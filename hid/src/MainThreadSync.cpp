#include "hid/MainThreadSync.h"

namespace miran::hid {

void MainThreadSync::Synchronize(const std::function<void()>& call) {
    if (!dispatcher_) {
        call();
        return;
    }
    Pending pending{&call};
    {
        std::lock_guard lock(mutex_);
        pending_.push_back(&pending);
        ++dispatching_;
    }
    changed_.notify_all();
    dispatcher_([weak = weak_from_this()] {
        if (auto self = weak.lock())
            self->RunPending();
    });
    std::unique_lock lock(mutex_);
    --dispatching_;
    changed_.notify_all();
    changed_.wait(lock, [&] { return pending.done; });
}

void MainThreadSync::RunPending() {
    for (;;) {
        Pending* pending;
        {
            std::lock_guard lock(mutex_);
            if (pending_.empty())
                return;
            pending = pending_.front();
            pending_.pop_front();
        }
        // The worker goes on even when the call throws; the error is the main thread's.
        struct Finish {
            MainThreadSync& sync;
            Pending& pending;
            ~Finish() {
                {
                    std::lock_guard lock(sync.mutex_);
                    pending.done = true;
                }
                sync.changed_.notify_all();
            }
        } finish{*this, *pending};
        (*pending->call)();
    }
}

void MainThreadSync::RunUntil(const std::function<bool()>& done) {
    std::unique_lock lock(mutex_);
    for (;;) {
        if (done())
            return;
        if (!pending_.empty()) {
            lock.unlock();
            RunPending();
            lock.lock();
            continue;
        }
        changed_.wait(lock);
    }
}

void MainThreadSync::WaitUntilDispatched() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return dispatching_ == 0; });
}

void MainThreadSync::Wake() {
    { std::lock_guard lock(mutex_); }
    changed_.notify_all();
}

} // namespace miran::hid
