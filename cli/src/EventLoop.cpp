#include "EventLoop.h"

namespace miran::cli {

void EventLoop::RunPosted() {
    for (;;) {
        std::function<void()> call;
        {
            std::lock_guard lock(postedMutex_);
            if (posted_.empty())
                return;
            call = std::move(posted_.front());
            posted_.pop_front();
        }
        call();
    }
}

} // namespace miran::cli
