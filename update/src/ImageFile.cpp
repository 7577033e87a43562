#include "update/ImageFile.h"

#include "core/UniqueFd.h"
#include "update/UpdateEngine.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace miran::update {

namespace {

// The upload sends 512-byte blocks from address 4096 on with a 32-bit block address, which must not wrap
// past the last block of the address range: no image can end later than that.
constexpr std::uint64_t kLastEndAddress = (std::uint64_t{1} << 32) - kBlockSize;

std::runtime_error FileError(const std::string& path, const std::string& fault) {
    return std::runtime_error(path + ": " + fault);
}

void ReadExactly(const UniqueFd& file, const std::string& path, std::uint8_t* destination,
                 std::size_t count) {
    while (count > 0) {
        const ssize_t got = ::read(file.Get(), destination, count);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            throw FileError(path, std::string("cannot be read: ") + std::strerror(errno));
        if (got == 0)
            throw FileError(path, "cannot be read: it became shorter while it was read");
        destination += got;
        count -= static_cast<std::size_t>(got);
    }
}

} // namespace

FirmwareImage LoadImageFile(const std::string& path) {
    // Without O_NONBLOCK opening a FIFO would wait for a writer; it is refused below like any other special
    // file, which could also be endless (/dev/zero).
    const UniqueFd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (file.Get() < 0)
        throw FileError(path, std::string("cannot be read: ") + std::strerror(errno));
    struct stat status {};
    if (::fstat(file.Get(), &status) != 0)
        throw FileError(path, std::string("cannot be read: ") + std::strerror(errno));
    if (!S_ISREG(status.st_mode))
        throw FileError(path, "not a regular file");

    const auto size = static_cast<std::uint64_t>(status.st_size);
    if (size < kImageHeaderSize)
        throw FileError(path, "not a firmware image (" + std::to_string(size) + " bytes, shorter than the " +
                                  std::to_string(kImageHeaderSize) + "-byte header)");
    if (size > kLastEndAddress - kStartAddress)
        throw FileError(path, "too large for a firmware image (" + std::to_string(size) +
                                  " bytes, an upload can address at most " +
                                  std::to_string(kLastEndAddress - kStartAddress) + ")");

    // The header decides before the whole file is read.
    std::vector<std::uint8_t> bytes(kImageHeaderSize);
    ReadExactly(file, path, bytes.data(), bytes.size());
    const FirmwareImage header{std::span<const std::uint8_t>(bytes)};
    if (header.Magic() != kMagic)
        throw FileError(path, "not a firmware image (magic \"" + header.Magic() + "\", expected \"" +
                                  std::string(kMagic) + "\")");
    if (header.EndAddress() != kStartAddress + size)
        throw FileError(path, "end address " + std::to_string(header.EndAddress()) + " does not match " +
                                  std::to_string(kStartAddress) + " + size (" +
                                  std::to_string(kStartAddress + size) + ")");

    bytes.resize(size);
    ReadExactly(file, path, bytes.data() + kImageHeaderSize, size - kImageHeaderSize);
    return FirmwareImage(std::move(bytes));
}

} // namespace miran::update
