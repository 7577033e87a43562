#include "update/FirmwareImage.h"

#include "resources/Resources.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace miran::update {

FirmwareImage FirmwareImage::OpenResource() {
    std::span<const std::uint8_t> bytes = resources::Find("BINARY", "BIOS");
    if (bytes.data() == nullptr)
        throw std::runtime_error("Resource BIOS not found");
    return FirmwareImage(bytes);
}

FirmwareImage::FirmwareImage(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

FirmwareImage::FirmwareImage(std::vector<std::uint8_t> bytes) : owned_(std::move(bytes)), bytes_(owned_) {}

FirmwareImage::FirmwareImage(const FirmwareImage& other)
    : owned_(other.owned_),
      bytes_(other.owned_.empty() ? other.bytes_ : std::span<const std::uint8_t>(owned_)),
      position_(other.position_) {}

FirmwareImage& FirmwareImage::operator=(const FirmwareImage& other) {
    if (this != &other) {
        owned_ = other.owned_;
        bytes_ = other.owned_.empty() ? other.bytes_ : std::span<const std::uint8_t>(owned_);
        position_ = other.position_;
    }
    return *this;
}

void FirmwareImage::Seek(std::size_t position) {
    position_ = std::min(position, bytes_.size());
}

std::size_t FirmwareImage::Read(std::uint8_t* destination, std::size_t count) {
    std::size_t n = std::min(count, bytes_.size() - position_);
    std::memcpy(destination, bytes_.data() + position_, n);
    position_ += n;
    return n;
}

std::uint32_t FirmwareImage::U32At(std::size_t offset) const {
    return static_cast<std::uint32_t>(ByteAt(offset)) | static_cast<std::uint32_t>(ByteAt(offset + 1)) << 8 |
           static_cast<std::uint32_t>(ByteAt(offset + 2)) << 16 |
           static_cast<std::uint32_t>(ByteAt(offset + 3)) << 24;
}

std::string FirmwareImage::TextAt(std::size_t offset, std::size_t width) const {
    if (offset >= bytes_.size())
        return {};
    return FieldText(bytes_.data() + offset, std::min(width, bytes_.size() - offset));
}

std::string FirmwareImage::Magic() const {
    return TextAt(header::Magic.offset, header::Magic.width);
}

std::string FirmwareImage::VersionText() const {
    char text[16];
    std::snprintf(text, sizeof text, "%1x.%1x.%1x", VersionMajor(), VersionMinor(), VersionPatch());
    return text;
}

std::string FirmwareImage::TitleText() const {
    return "MIRAN POLY-MCU Bios-Update v" + VersionText();
}

std::string FirmwareImage::DisplayVersion() const {
    char text[16];
    std::snprintf(text, sizeof text, "v%1d.%1d.%1d", VersionMajor(), VersionMinor(), VersionPatch());
    return text;
}

std::string FieldText(const std::uint8_t* field, std::size_t width) {
    const std::uint8_t* end = std::find(field, field + width, 0);
    return std::string(field, end);
}

} // namespace miran::update
