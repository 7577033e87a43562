#pragma once

#include <cstdint>

namespace miran::hid::windows_backend {

// The system error codes an open of a device path can end with, by their values in <winerror.h>
// (MinGW's lacks ERROR_NO_SUCH_DEVICE).
enum WindowsError : std::uint32_t {
    kErrorFileNotFound = 2,
    kErrorPathNotFound = 3,
    kErrorAccessDenied = 5,
    kErrorGenFailure = 31,
    kErrorSharingViolation = 32,
    kErrorDevNotExist = 55,
    kErrorNoSuchDevice = 433,
    kErrorDeviceNotConnected = 1167,
};

// The errno class the front ends explain a failed open by: EACCES, ENOENT, ENODEV, else EIO.
int ErrnoOfWindowsError(std::uint32_t error);

} // namespace miran::hid::windows_backend
