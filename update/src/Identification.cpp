#include "update/Crc16.h"
#include "update/UpdateEngine.h"

#include <algorithm>
#include <cstdio>

namespace miran::update {

namespace {

// Bytes of a reply to copy: its Length, bounded by what the receiving copy can hold.
std::size_t Bounded(std::uint16_t length, std::size_t capacity) {
    return std::min<std::size_t>(length, capacity);
}

} // namespace

IdentifyResult UpdateEngine::IdentifyDevice() {
    IdentifyResult result;

    // Replies copy only their Length: bytes an earlier device left would pass for this one's, and its
    // serial digits would be written into this device.
    receive_.fill(0);
    deviceInfo_.fill(0);
    biosInfo_.fill(0);

    if (!channel_.SendCommand(cmdControl, kControlInfo, 0) || !channel_.ReadData(receive_.data()))
        return result;
    channel_.QueryStatus();
    std::size_t n = Bounded(channel_.Length(), receive_.size());
    infoCrc_ = Crc16(receive_.data(), static_cast<std::uint16_t>(n));
    std::copy_n(receive_.begin(), Bounded(channel_.Length(), deviceInfo_.size()), deviceInfo_.begin());

    std::string magic = FieldText(deviceInfo_.data(), header::Magic.width);
    if (magic != kMagic) {
        observer_.SetStatusText("Wrong Info: " + magic);
        return result;
    }

    const std::uint8_t major = deviceInfo_[kRequiredLevelMajor];
    const std::uint8_t minor = deviceInfo_[kRequiredLevelMinor];
    requiredLevel_ = 16 * major + minor;
    if (requiredLevel_ > ToolLevel) {
        char digits[16];
        std::snprintf(digits, sizeof digits, "v%1d.%1dx", major, minor);
        observer_.SetStatusText(std::string("Setup Tool ") + digits + " or newer required!");
        return result;
    }

    const std::uint16_t unlockValue = infoCrc_ ^ kUnlockMask;
    if (!channel_.SendCommand(cmdControl, unlockValue, 0) || !channel_.ReadData(receive_.data()))
        return result;

    if (!channel_.SendCommand(cmdReadId, kReadIdParam, 0) || !channel_.ReadData(receive_.data()))
        return result;
    channel_.QueryStatus();
    std::copy_n(receive_.begin(), uniqueId_.size(), uniqueId_.begin());
    blockKey_ = DeriveBlockKey(uniqueId_);

    if (!channel_.SendCommand(cmdBiosInfo, 0, 0) || !channel_.ReadData(receive_.data()))
        return result;
    channel_.QueryStatus();
    std::copy_n(receive_.begin(), Bounded(channel_.Length(), biosInfo_.size()), biosInfo_.begin());

    result.biosCaption =
        BiosCaption(biosInfo_[header::VersionMajor.offset], biosInfo_[header::VersionMinor.offset],
                    biosInfo_[header::VersionPatch.offset]);
    if (*result.biosCaption != "NO BIOS") {
        result.usbSerial = biosInfo_[header::SerialText.offset] == 0
                               ? std::string("0000000000000")
                               : FieldText(&biosInfo_[header::SerialText.offset], header::SerialText.width);
    }

    identified_ = true;
    result.ok = true;
    return result;
}

std::string BiosCaption(std::uint8_t major, std::uint8_t minor, std::uint8_t patch) {
    if (major >= 10 || minor >= 10)
        return "NO BIOS";
    char text[16];
    std::snprintf(text, sizeof text, "v%1d.%1d.%1d", major, minor, patch);
    return text;
}

std::string AsMaskedUsbSerial(const std::string& text) {
    std::string shown = text.substr(0, 15);
    for (char& c : shown) {
        if (c < '0' || c > '9')
            c = ' ';
    }
    return shown;
}

} // namespace miran::update
