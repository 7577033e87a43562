#include "OpenDiagnosis.h"

#include "cli/Cli.h"

#include <cerrno>
#include <cstring>

namespace miran::cli {

OpenProblem ReadWriteProblem(const hid::THidDevice& device) {
    if (device.ReadWriteAccess())
        return OpenProblem::None;
    switch (device.ReadWriteError()) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return OpenProblem::Gone;
    case EACCES:
    case EPERM:
        return OpenProblem::Permission;
    default:
        return OpenProblem::Other;
    }
}

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
                                     " cannot be opened for reading and writing.\n"
                                     "Fix: miran-isp-up-cli --print-udev-rules | sudo tee "
                                     "/etc/udev/rules.d/70-miran-poly-mcu.rules\n"
                                     "     sudo udevadm control --reload && sudo udevadm trigger\n"
                                     "then plug the programmer in again."};
    default:
        return {kExitIdentifyFailed,
                "Programmer " + serial + " at " + node +
                    " cannot be opened for reading and writing: " + std::strerror(device.ReadWriteError())};
    }
}

} // namespace miran::cli
