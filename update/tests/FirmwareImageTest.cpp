#include "update/FirmwareImage.h"

#include "update/ImageFile.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace miran::update;

namespace {

TEST(FirmwareImage, ShippedImageHeader) {
    FirmwareImage image = FirmwareImage::OpenResource();
    auto bytes = image.Bytes();
    ASSERT_EQ(image.Size(), 8348u);
    EXPECT_EQ(image.Magic(), "MN05");
    EXPECT_EQ((std::array<int, 4>{bytes[4], bytes[5], bytes[6], bytes[7]}), (std::array<int, 4>{0, 0, 3, 1}));
    EXPECT_EQ(image.StartAddress(), 4096u);
    EXPECT_EQ(FieldText(&bytes[16], 16), "Nov 10 2014");
    EXPECT_EQ(FieldText(&bytes[32], 16), "09:25:14");
    EXPECT_EQ(image.EndAddress(), 12444u);
    EXPECT_EQ(bytes[52] | bytes[53] << 8 | bytes[54] << 16 | bytes[55] << 24, 55426);
    for (int i = 56; i < 64; ++i)
        EXPECT_EQ(bytes[i], 0) << i;
    EXPECT_EQ(image.InfoText(), "MIRAN-ISP v1.9.0");
    EXPECT_EQ(image.SerialText(), "0000000000000");
    EXPECT_EQ(bytes[96 + 13], 0);

    EXPECT_EQ(image.VersionText(), "1.9.0");
    EXPECT_EQ(image.TitleText(), "MIRAN POLY-MCU Bios-Update v1.9.0");
    EXPECT_EQ(image.DisplayVersion(), "v1.9.0");
}

TEST(FirmwareImage, VersionByteOfTenIsHexInTextDecimalInDisplay) {
    std::vector<std::uint8_t> bytes(128, 0);
    bytes[12] = 10;
    bytes[13] = 16;
    bytes[14] = 0;
    FirmwareImage image(bytes);
    EXPECT_EQ(image.VersionText(), "a.10.0");
    EXPECT_EQ(image.DisplayVersion(), "v10.16.0");
}

TEST(FirmwareImage, InfoTextFillingTheFieldIsThirtyTwoCharacters) {
    std::vector<std::uint8_t> bytes(128, 0);
    for (int i = 64; i < 96; ++i)
        bytes[i] = 'A' + (i % 26);
    EXPECT_EQ(FirmwareImage(bytes).InfoText().size(), 32u);
}

TEST(FirmwareImage, ShortReadAtTheEndLeavesTheTailUntouched) {
    FirmwareImage image = FirmwareImage::OpenResource();
    std::array<std::uint8_t, 512> block;
    block.fill(0xEE);
    image.Seek(8192);
    EXPECT_EQ(image.Read(block.data(), block.size()), 156u);
    EXPECT_EQ(image.Position(), 8348u);
    EXPECT_EQ(block[155], image.Bytes()[8347]);
    EXPECT_EQ(block[156], 0xEE);
    EXPECT_EQ(block[511], 0xEE);
    EXPECT_EQ(image.Read(block.data(), block.size()), 0u);
}

class ImageFileTest : public ::testing::Test {
protected:
    std::string Write(const std::vector<std::uint8_t>& bytes) {
        std::ofstream(path_, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        return path_.string();
    }
    void TearDown() override { std::filesystem::remove(path_); }

    std::filesystem::path path_ =
        std::filesystem::temp_directory_path() / ("image-test-" + std::to_string(::getpid()) + ".bin");
};

TEST_F(ImageFileTest, AcceptsACopyOfTheShippedImage) {
    auto shipped = FirmwareImage::OpenResource().Bytes();
    FirmwareImage image = LoadImageFile(Write({shipped.begin(), shipped.end()}));
    EXPECT_EQ(image.Size(), 8348u);
    EXPECT_EQ(image.VersionText(), "1.9.0");
}

TEST_F(ImageFileTest, RejectsWhatIsNotAnImage) {
    auto shipped = FirmwareImage::OpenResource().Bytes();
    std::vector<std::uint8_t> badMagic(shipped.begin(), shipped.end());
    badMagic[3] = '6';
    std::vector<std::uint8_t> truncated(shipped.begin(), shipped.end() - 1);
    struct Case {
        std::vector<std::uint8_t> bytes;
        std::string expected;
    } cases[] = {
        {std::vector<std::uint8_t>(100, 0), "shorter than the 128-byte header"},
        {badMagic, "magic \"MN06\", expected \"MN05\""},
        {truncated, "end address 12444 does not match 4096 + size (12443)"},
    };
    for (const Case& c : cases) {
        try {
            LoadImageFile(Write(c.bytes));
            ADD_FAILURE() << "accepted: " << c.expected;
        } catch (const std::runtime_error& error) {
            EXPECT_NE(std::string(error.what()).find(c.expected), std::string::npos) << error.what();
        }
    }
    EXPECT_THROW(LoadImageFile("/nonexistent/image.bin"), std::runtime_error);
}

// Special files could block (a FIFO without a writer) or never end (/dev/zero); a huge file must not be
// read at all.
TEST_F(ImageFileTest, ReadsOnlyRegularFilesThatCanBeImages) {
    const std::filesystem::path fifo = path_.string() + ".fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::filesystem::path folder = std::filesystem::temp_directory_path();
    Write({});
    std::filesystem::resize_file(path_, 4294962688u + 1); // sparse: one byte past the last block boundary
    struct Case {
        std::string path;
        std::string expected;
    } cases[] = {
        {"/dev/zero", "/dev/zero: not a regular file"},
        {fifo.string(), fifo.string() + ": not a regular file"},
        {folder.string(), folder.string() + ": not a regular file"},
        {path_.string(), path_.string() + ": too large for a firmware image (4294962689 bytes, an upload can "
                                          "address at most 4294962688)"},
        {"/nonexistent/image.bin", "/nonexistent/image.bin: cannot be read: No such file or directory"},
    };
    for (const Case& c : cases) {
        try {
            LoadImageFile(c.path);
            ADD_FAILURE() << "accepted: " << c.path;
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(error.what(), c.expected);
        }
    }
    std::filesystem::remove(fifo);
}

} // namespace
