#include "update/ImageFile.h"

#include "RegularFile.h"
#include "update/UpdateEngine.h"

#include <stdexcept>

namespace miran::update {

namespace {

// The upload sends 512-byte blocks from address 4096 on with a 32-bit block address, which must not wrap
// past the last block of the address range: no image can end later than that.
constexpr std::uint64_t kLastEndAddress = (std::uint64_t{1} << 32) - kBlockSize;

std::runtime_error FileError(const std::string& path, const std::string& fault) {
    return std::runtime_error(path + ": " + fault);
}

} // namespace

FirmwareImage LoadImageFile(const std::string& path) {
    RegularFile file(path);
    const std::uint64_t size = file.Size();
    if (size < kImageHeaderSize)
        throw FileError(path, "not a firmware image (" + std::to_string(size) + " bytes, shorter than the " +
                                  std::to_string(kImageHeaderSize) + "-byte header)");
    if (size > kLastEndAddress - kStartAddress)
        throw FileError(path, "too large for a firmware image (" + std::to_string(size) +
                                  " bytes, an upload can address at most " +
                                  std::to_string(kLastEndAddress - kStartAddress) + ")");

    // The header decides before the whole file is read.
    std::vector<std::uint8_t> bytes(kImageHeaderSize);
    file.Read(bytes.data(), bytes.size());
    const FirmwareImage header{std::span<const std::uint8_t>(bytes)};
    if (header.Magic() != kMagic)
        throw FileError(path, "not a firmware image (magic \"" + header.Magic() + "\", expected \"" +
                                  std::string(kMagic) + "\")");
    if (header.EndAddress() != kStartAddress + size)
        throw FileError(path, "end address " + std::to_string(header.EndAddress()) + " does not match " +
                                  std::to_string(kStartAddress) + " + size (" +
                                  std::to_string(kStartAddress + size) + ")");

    bytes.resize(size);
    file.Read(bytes.data() + kImageHeaderSize, size - kImageHeaderSize);
    return FirmwareImage(std::move(bytes));
}

} // namespace miran::update
