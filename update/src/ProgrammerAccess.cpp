#include "update/ProgrammerAccess.h"

#include <cerrno>

namespace miran::update {

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

} // namespace miran::update
