#include "NoAccess.h"

#include "update/ProgrammerAccess.h"

namespace miran::window {

std::string NoAccessStatus() {
    return "No access: install the udev rule";
}

std::string NoAccessHint(const std::string& devicePath) {
    return "Programmer " + devicePath +
           " cannot be opened for reading and writing.\n"
           "Install the udev rule:\n" +
           update::kInstallRuleCommand + "\n" + update::kApplyRuleCommand +
           "\nthen plug the programmer in again.";
}

} // namespace miran::window
