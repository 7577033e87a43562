#include "update/ImageFile.h"

#include "update/UpdateEngine.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace miran::update {

FirmwareImage LoadImageFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw std::runtime_error(path + ": cannot be read");
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad())
        throw std::runtime_error(path + ": cannot be read");
    if (bytes.size() < kImageHeaderSize)
        throw std::runtime_error(path + ": not a firmware image (" + std::to_string(bytes.size()) +
                                 " bytes, shorter than the 128-byte header)");
    FirmwareImage image(std::move(bytes));
    if (image.Magic() != "MN05")
        throw std::runtime_error(path + ": not a firmware image (magic \"" + image.Magic() +
                                 "\", expected \"MN05\")");
    if (image.EndAddress() != kStartAddress + image.Size())
        throw std::runtime_error(path + ": end address " + std::to_string(image.EndAddress()) +
                                 " does not match 4096 + size (" +
                                 std::to_string(kStartAddress + image.Size()) + ")");
    return image;
}

} // namespace miran::update
