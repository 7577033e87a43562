#include "OpenDiagnosis.h"

#include "PerSystem.h"
#include "cli/Cli.h"

#include <cstring>

namespace miran::cli {

std::string AccessText(const hid::THidDevice& device) {
    switch (ReadWriteProblem(device)) {
    case OpenProblem::None:
        return "ok";
    case OpenProblem::Permission:
        return "permission denied";
    default:
        return std::strerror(device.ReadWriteError());
    }
}

Failure OpenFailure(const hid::THidDevice& device, const std::string& serial) {
    const std::string& node = device.PnPInfo().DevicePath;
    switch (ReadWriteProblem(device)) {
    case OpenProblem::Permission:
        return {kExitPermission, "Permission denied: programmer " + serial + " at " + node +
                                     " cannot be opened for reading and writing.\n" + PermissionFix()};
    default:
        return {kExitIdentifyFailed,
                "Programmer " + serial + " at " + node +
                    " cannot be opened for reading and writing: " + std::strerror(device.ReadWriteError())};
    }
}

} // namespace miran::cli
