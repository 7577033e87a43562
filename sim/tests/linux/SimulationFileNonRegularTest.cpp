#include "sim/SimulationFile.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <stdexcept>

namespace miran::sim {
namespace {

TEST(SimulationFile, ReadsOnlyARegularFile) {
    for (const std::string& path :
         {std::string("/dev/zero"), std::filesystem::temp_directory_path().string()}) {
        try {
            LoadSimulationFile(path);
            ADD_FAILURE() << "accepted: " << path;
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(error.what(), path + ": not a regular file");
        }
    }
}

} // namespace
} // namespace miran::sim
