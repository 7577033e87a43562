#include "NoAccess.h"

namespace miran::window {

// No udev here: what keeps a programmer from being opened is another program holding it, or an account that
// may not use it.
std::string NoAccessStatus() {
    return "No access: another program holds it";
}

std::string NoAccessHint(const std::string& devicePath) {
    return "Programmer " + devicePath +
           " cannot be opened for reading and writing.\n"
           "Close the other programs that use the programmer, or run from an account that may use it,\n"
           "then plug the programmer in again.";
}

} // namespace miran::window
