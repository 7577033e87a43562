#pragma once

#include "update/FirmwareImage.h"

#include <string>

namespace miran::update {

// Reads an image file and checks that it is one: a regular file (never a device, FIFO or folder), a whole
// header, magic "MN05", and an end address equal to the start address plus the file's size, within what an
// upload can address. Throws std::runtime_error naming the file and the fault.
FirmwareImage LoadImageFile(const std::string& path);

} // namespace miran::update
