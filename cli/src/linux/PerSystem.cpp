#include "PerSystem.h"

#include "resources/Resources.h"
#include "update/ProgrammerAccess.h"

namespace miran::cli {

std::string PermissionFix() {
    return std::string("Fix: ") + update::kInstallRuleCommand + "\n     " + update::kApplyRuleCommand +
           "\nthen plug the programmer in again.";
}

std::string NoHidAccessNote() {
    return " (this system offers no hidraw devices)";
}

int PrintUdevRules(Environment& env) {
    auto rules = resources::Find("TEXT", "UDEV_RULES");
    env.out.write(reinterpret_cast<const char*>(rules.data()), static_cast<std::streamsize>(rules.size()));
    return kExitOk;
}

void PrepareStandardStreams() {}

} // namespace miran::cli
