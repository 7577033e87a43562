#pragma once

// The programmer's wire protocol, in one place: fixed-size HID feature reports, little-endian integers,
// zero-filled texts.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace miran::update {

// The USB IDs the MIRAN POLY-MCU programmer presents.
inline constexpr std::uint16_t kProgrammerVendorId = 0x16C0;
inline constexpr std::uint16_t kProgrammerProductId = 0x2AA8;

// Feature reports: ID, and length with the report ID byte.
inline constexpr std::uint8_t kReportData = 1;
inline constexpr std::uint8_t kReportCommand = 2;
inline constexpr std::uint8_t kReportStatus = 3;
inline constexpr std::size_t kCommandReportSize = 8; // ID, command, Param16, Param32
inline constexpr std::size_t kStatusReportSize = 5;  // Status, Length, one ignored byte (no ID echoed)
inline constexpr std::size_t kDataSize = 1024;
inline constexpr std::size_t kDataReportSize = kDataSize + 1;

// Command codes, and the Param16 values that select what they do. Those the original design names keep
// its names (cmdBlock, blockPrepare); the others are named as every constant is.
inline constexpr std::uint8_t cmdStatus = 0;
inline constexpr std::uint8_t cmdControl = 1;
inline constexpr std::uint8_t cmdBiosInfo = 2;
inline constexpr std::uint8_t cmdBlock = 4;
inline constexpr std::uint8_t cmdReadId = 8;
inline constexpr std::uint8_t cmdErase = 14;

inline constexpr std::uint16_t kControlInfo = 0; // any other value but controlClose unlocks
inline constexpr std::uint16_t controlClose = 5;
inline constexpr std::uint16_t blockProgram = 1;
inline constexpr std::uint16_t blockPrepare = 2;
inline constexpr std::uint16_t kReadIdParam = 58;

inline constexpr std::uint16_t kStatusSuccess = 0;
inline constexpr std::uint16_t kQueryFailed = 0xFFFF; // the tool's own: the query did not cross the wire

// The info reply (DeviceInfo): the magic, then the tool level the device requires at these bytes.
inline constexpr std::size_t kDeviceInfoSize = 48; // what the tool keeps of it
inline constexpr std::size_t kRequiredLevelMajor = 34;
inline constexpr std::size_t kRequiredLevelMinor = 35;
inline constexpr int ToolLevel = 16; // compatibility level 1.0: 16 x major + minor
inline constexpr std::uint16_t kUnlockMask = 0x7D19;
inline constexpr std::size_t kUniqueIdSize = 16;
inline constexpr std::size_t kBlockKeySize = 8;

// The firmware header: the image's first bytes, and the layout of the Bios info reply (BiosInfo).
inline constexpr std::string_view kMagic = "MN05";
inline constexpr std::size_t kImageHeaderSize = 128;
inline constexpr std::size_t kBiosInfoSize = 272; // what the tool keeps of that reply
struct HeaderField {
    std::size_t offset;
    std::size_t width;
};
namespace header {
inline constexpr HeaderField Magic{0, kMagic.size()};
inline constexpr HeaderField StartAddress{8, 4};
inline constexpr HeaderField VersionMajor{12, 1};
inline constexpr HeaderField VersionMinor{13, 1};
inline constexpr HeaderField VersionPatch{14, 1};
inline constexpr HeaderField EndAddress{48, 4};
inline constexpr HeaderField InfoText{64, 32};
inline constexpr HeaderField SerialText{96, 32};
} // namespace header

// The upload: 512-byte blocks from this flash address on, each sent as a whole data report.
inline constexpr std::size_t kBlockSize = 512;
inline constexpr std::uint32_t kStartAddress = 4096;

// The waits: before identifying a selected device, before each block, after the last block.
inline constexpr std::chrono::milliseconds kIdentifyWait{200};
inline constexpr std::chrono::milliseconds kBlockWait{25};
inline constexpr std::chrono::milliseconds kAfterUploadWait{100};

} // namespace miran::update
