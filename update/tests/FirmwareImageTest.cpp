#include "update/FirmwareImage.h"

#include "ImageFileTest.h"
#include "update/ImageFile.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

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

} // namespace
