#pragma once

#include "update/BlockTransform.h"
#include "update/CommandChannel.h"
#include "update/FirmwareImage.h"
#include "update/UpdateObserver.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace miran::update {

// What an identification asks the front end to show.
struct IdentifyResult {
    bool ok = false;
    std::optional<std::string> biosCaption; // the device's Bios version, or "NO BIOS"
    std::optional<std::string> usbSerial;   // the serial text the device's firmware carries
};

struct UploadResult {
    bool ok = false;
    std::string message; // the status text the upload ended with
    bool closingSent = false;
};

// Identification and upload over one command channel, with the state they share. The state lives as long
// as the engine, like the fields of the window that owns it; each identification starts from cleared
// receive copies, as a fresh engine would.
class UpdateEngine {
public:
    UpdateEngine(const FirmwareImage& image, UpdateObserver& observer);

    CommandChannel& Channel() { return channel_; }

    // Never raises; on failure it may have set the status text.
    IdentifyResult IdentifyDevice();
    // Writes the image and sends the closing command (not after a failure). Never raises.
    UploadResult StartUpdate();

    bool Identified() const { return identified_; }
    const TBlockKey& BlockKey() const { return blockKey_; }
    const TUniqueId& UniqueId() const { return uniqueId_; }
    std::uint16_t InfoCrc() const { return infoCrc_; }
    int RequiredLevel() const { return requiredLevel_; }
    const std::array<std::uint8_t, kDeviceInfoSize>& DeviceInfo() const { return deviceInfo_; }
    const std::array<std::uint8_t, kBiosInfoSize>& BiosInfo() const { return biosInfo_; }

private:
    void WritePhase();
    void PutSerialDigits();

    FirmwareImage image_;
    UpdateObserver& observer_;
    CommandChannel channel_;

    std::array<std::uint8_t, kDataSize> receive_{};
    std::uint16_t infoCrc_ = 0;
    std::array<std::uint8_t, kDeviceInfoSize> deviceInfo_{};
    int requiredLevel_ = 0;
    TUniqueId uniqueId_{};
    TBlockKey blockKey_{};
    std::array<std::uint8_t, kBiosInfoSize> biosInfo_{};
    bool identified_ = false;

    // The block and 512 bytes that stay zero: each data report sends all 1024.
    std::array<std::uint8_t, 2 * kBlockSize> block_{};
};

// The leading decimal digits of a USB serial text, as many as the header's 32-byte serial field holds.
std::string SerialDigits(const std::string& text);

// How the window shows an installed Bios version: "NO BIOS" when the major or minor digit is 10 or more.
std::string BiosCaption(std::uint8_t major, std::uint8_t minor, std::uint8_t patch);

// The text a 15-digit masked field shows for a serial: at most 15 characters, non-digits blank.
std::string AsMaskedUsbSerial(const std::string& text);

} // namespace miran::update
