#pragma once

#include "update/Protocol.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace miran::update {

// The firmware image: a 128-byte header followed by an opaque payload, read as a stream.
// Header fields are read in place; missing bytes of a too short image read as zero.
class FirmwareImage {
public:
    // Over the resource "BIOS" of type "BINARY" linked into this executable; throws when it is missing.
    static FirmwareImage OpenResource();
    // Over bytes that live at least as long as the image (no copy).
    explicit FirmwareImage(std::span<const std::uint8_t> bytes);
    // Over bytes of its own, for example read from a file.
    explicit FirmwareImage(std::vector<std::uint8_t> bytes);

    FirmwareImage(const FirmwareImage& other);
    FirmwareImage& operator=(const FirmwareImage& other);

    std::span<const std::uint8_t> Bytes() const { return bytes_; }
    std::size_t Size() const { return bytes_.size(); }
    std::size_t Position() const { return position_; }
    void Seek(std::size_t position);
    // Copies up to count bytes and advances; at the end fewer arrive and the rest of destination is
    // untouched.
    std::size_t Read(std::uint8_t* destination, std::size_t count);

    std::string Magic() const;
    std::uint32_t StartAddress() const { return U32At(header::StartAddress.offset); }
    std::uint8_t VersionMajor() const { return ByteAt(header::VersionMajor.offset); }
    std::uint8_t VersionMinor() const { return ByteAt(header::VersionMinor.offset); }
    std::uint8_t VersionPatch() const { return ByteAt(header::VersionPatch.offset); }
    std::uint32_t EndAddress() const { return U32At(header::EndAddress.offset); }
    std::string InfoText() const { return TextAt(header::InfoText.offset, header::InfoText.width); }
    std::string SerialText() const { return TextAt(header::SerialText.offset, header::SerialText.width); }

    // "%1x.%1x.%1x" of the version bytes.
    std::string VersionText() const;
    // The tool's window title.
    std::string TitleText() const;
    // "v%1d.%1d.%1d" of the version bytes, as the window shows the carried Bios version.
    std::string DisplayVersion() const;

private:
    std::uint8_t ByteAt(std::size_t offset) const { return offset < bytes_.size() ? bytes_[offset] : 0; }
    std::uint32_t U32At(std::size_t offset) const;
    std::string TextAt(std::size_t offset, std::size_t width) const;

    std::vector<std::uint8_t> owned_;
    std::span<const std::uint8_t> bytes_;
    std::size_t position_ = 0;
};

// Text of a fixed-width zero-filled field: up to its first zero byte or the field's end.
std::string FieldText(const std::uint8_t* field, std::size_t width);

} // namespace miran::update
