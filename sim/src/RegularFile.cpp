#include "RegularFile.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace miran::sim {

std::string ReadRegularFile(const std::string& path, std::uintmax_t maxMiB) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (error)
        throw std::runtime_error("cannot read " + path + ": " + error.message());
    if (!std::filesystem::is_regular_file(status))
        throw std::runtime_error(path + ": not a regular file");
    if (std::filesystem::file_size(path, error) > (maxMiB << 20) || error)
        throw std::runtime_error(path + ": larger than " + std::to_string(maxMiB) + " MiB");
    std::ifstream file(path);
    if (!file)
        throw std::runtime_error("cannot read " + path);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

} // namespace miran::sim
