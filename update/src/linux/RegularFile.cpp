#include "RegularFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace miran::update {

namespace {

std::runtime_error CannotRead(const std::string& path) {
    return std::runtime_error(path + ": cannot be read: " + std::strerror(errno));
}

} // namespace

RegularFile::RegularFile(const std::string& path) : path_(path) {
    // Without O_NONBLOCK opening a FIFO would wait for a writer; it is refused below like any other special
    // file.
    handle_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (handle_ < 0)
        throw CannotRead(path);
    struct stat status {};
    if (::fstat(static_cast<int>(handle_), &status) != 0) {
        const std::runtime_error error = CannotRead(path);
        ::close(static_cast<int>(handle_));
        throw error;
    }
    if (!S_ISREG(status.st_mode)) {
        ::close(static_cast<int>(handle_));
        throw std::runtime_error(path + ": not a regular file");
    }
    size_ = static_cast<std::uint64_t>(status.st_size);
}

RegularFile::~RegularFile() {
    ::close(static_cast<int>(handle_));
}

void RegularFile::Read(std::uint8_t* destination, std::size_t count) {
    while (count > 0) {
        const ssize_t got = ::read(static_cast<int>(handle_), destination, count);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            throw CannotRead(path_);
        if (got == 0)
            throw std::runtime_error(path_ + ": cannot be read: it became shorter while it was read");
        destination += got;
        count -= static_cast<std::size_t>(got);
    }
}

} // namespace miran::update
