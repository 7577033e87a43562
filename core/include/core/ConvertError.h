#pragma once

#include <stdexcept>

namespace miran {

// A text that should hold a number (or a colour) does not.
class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace miran
