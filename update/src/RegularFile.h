#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace miran::update {

// A regular file open for reading from its start. Never a device, FIFO or folder, which could block or be
// endless. Failures throw std::runtime_error "<path>: <fault>".
class RegularFile {
public:
    explicit RegularFile(const std::string& path); // "cannot be read: <reason>" or "not a regular file"
    ~RegularFile();
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;

    std::uint64_t Size() const { return size_; }
    // Reads exactly `count` bytes on from where the last read ended.
    void Read(std::uint8_t* destination, std::size_t count);

private:
    std::string path_;
    std::intptr_t handle_; // a descriptor on Linux, a HANDLE on Windows
    std::uint64_t size_ = 0;
};

} // namespace miran::update
