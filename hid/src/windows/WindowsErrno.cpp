#include "WindowsErrno.h"

#include <cerrno>

namespace miran::hid::windows_backend {

int ErrnoOfWindowsError(std::uint32_t error) {
    switch (error) {
    case kErrorAccessDenied:
    case kErrorSharingViolation:
        return EACCES;
    case kErrorFileNotFound:
    case kErrorPathNotFound:
        return ENOENT;
    case kErrorDeviceNotConnected:
    case kErrorDevNotExist:
    case kErrorGenFailure:
    case kErrorNoSuchDevice:
        return ENODEV;
    default:
        return EIO;
    }
}

} // namespace miran::hid::windows_backend
