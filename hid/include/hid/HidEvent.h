#pragma once

#include <functional>
#include <memory>
#include <utility>

namespace miran::hid {

// An event handler with an identity: copies of one handler compare equal, so assigning the handler that is
// already set can be told apart from assigning a new one.
template <class Signature> class HidEvent {
public:
    HidEvent() = default;
    HidEvent(std::function<Signature> fn) // NOLINT(google-explicit-constructor): assigned like a routine
        : fn_(fn ? std::make_shared<const std::function<Signature>>(std::move(fn)) : nullptr) {}

    explicit operator bool() const { return fn_ != nullptr; }
    bool operator==(const HidEvent& other) const { return fn_ == other.fn_; }

    template <class... Args> decltype(auto) operator()(Args&&... args) const {
        return (*fn_)(std::forward<Args>(args)...);
    }

private:
    std::shared_ptr<const std::function<Signature>> fn_;
};

} // namespace miran::hid
