#include "settings/ValuePath.h"

#include "settings/StorageErrors.h"

#include <gtest/gtest.h>

namespace miran::settings {
namespace {

TEST(ValuePathTest, MapsPathsToSectionAndKey) {
    const struct {
        const char* path;
        TSectionKey expected;
    } cases[] = {
        {"DEVICE", {"CONFIG", "DEVICE"}},
        {"Main\\ShowCmd", {"Main", "ShowCmd"}},
        {"\\Main\\ShowCmd", {"Main", "ShowCmd"}},
        {"Main\\\\NormPos\\", {"Main", "NormPos"}},
        {"Main\\Sub\\Key", {"Main\\Sub", "Key"}},
        {"\\\\DEVICE\\\\", {"CONFIG", "DEVICE"}},
        {".Sub\\Key", {"CONFIG.Sub", "Key"}},
        {"Main\\.\\Key", {"Main", "Key"}},
        {"Main\\Sub\\..\\Key", {"Main", "Key"}},
        {"A\\B\\C\\...\\Key", {"A", "Key"}},
        {"A\\..\\..\\..\\Main\\Key", {"Main", "Key"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SplitSectionKey(c.path, "CONFIG"), c.expected) << c.path;
}

TEST(ValuePathTest, NormalizesSegments) {
    EXPECT_EQ(NormalizePath(""), "");
    EXPECT_EQ(NormalizePath("\\\\"), "");
    EXPECT_EQ(NormalizePath("\\a\\\\b\\"), "a\\b");
    EXPECT_EQ(NormalizePath("a\\b\\c\\....\\d"), "d");
    EXPECT_EQ(ConcatPaths("Main\\", "ShowCmd"), "Main\\ShowCmd");
    EXPECT_EQ(ConcatPaths("", "NormPos(1280x1024)"), "NormPos(1280x1024)");
}

TEST(ValuePathTest, WithoutAnySectionFails) {
    for (const char* path : {"DEVICE", "\\DEVICE", ".Sub\\Key"}) {
        try {
            SplitSectionKey(path, "");
            ADD_FAILURE() << path;
        } catch (const EAppStorageError& error) {
            EXPECT_STREQ(error.what(), "TAppIniFileStorage.ReadValue: Section undefined");
        }
    }
}

} // namespace
} // namespace miran::settings
