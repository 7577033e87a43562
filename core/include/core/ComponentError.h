#pragma once

#include <stdexcept>
#include <string>

namespace miran {

// Common base of the errors raised by the HID and settings components.
class EComponentError : public std::runtime_error {
public:
    explicit EComponentError(const std::string& message) : std::runtime_error(message) {}
};

} // namespace miran
