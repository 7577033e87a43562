#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace miran::fuzz {

// A file in the temporary folder holding one input, gone with the object; its name starts with the process
// id. The runner points TMPDIR into the build tree.
class ScratchFile {
public:
    ScratchFile(const char* name, const std::uint8_t* data, std::size_t size)
        : path_(std::filesystem::temp_directory_path() / (std::to_string(::getpid()) + "-" + name)) {
        std::ofstream(path_, std::ios::binary)
            .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    ~ScratchFile() {
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
    }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    std::string Path() const { return path_.string(); }

private:
    std::filesystem::path path_;
};

} // namespace miran::fuzz
