#include "sim/SimulationFile.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <stdexcept>

namespace miran::sim {
namespace {

// A device such as NUL never ends; the C runtime does not even give it a status, so it is refused as
// unreadable. A folder is no regular file.
TEST(SimulationFile, ReadsOnlyARegularFile) {
    EXPECT_THROW(LoadSimulationFile("NUL"), std::runtime_error);
    const std::string folder = std::filesystem::temp_directory_path().string();
    try {
        LoadSimulationFile(folder);
        ADD_FAILURE() << "accepted: " << folder;
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(error.what(), folder + ": not a regular file");
    }
}

} // namespace
} // namespace miran::sim
