#pragma once

#include <cerrno>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace miran {

// Owns a file descriptor and closes it once; -1 owns none.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) {
            Close();
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }
    ~UniqueFd() { Close(); }

    int Get() const { return fd_; }

private:
    void Close() {
        if (fd_ >= 0)
            ::close(fd_);
    }

    int fd_ = -1;
};

// What a call that returns a new descriptor returned; throws std::system_error "<call>: <the system's
// message>" when it failed.
inline UniqueFd CheckedFd(int fd, const char* call) {
    if (fd < 0)
        throw std::system_error(errno, std::generic_category(), call);
    return UniqueFd(fd);
}

} // namespace miran
