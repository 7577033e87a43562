#include "update/UpdateEngine.h"

#include <algorithm>
#include <stdexcept>

namespace miran::update {

namespace {

// An upload step failed; the message is what the user sees.
class UploadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

void Check(bool ok, const char* message) {
    if (!ok)
        throw UploadError(message);
}

constexpr std::size_t kSerialOffset = 96;
constexpr std::size_t kSerialWidth = 32;

} // namespace

UploadResult UpdateEngine::StartUpdate() {
    UploadResult result;
    const bool ctrlHeld = observer_.CtrlHeld();
    try {
        if (identified_ || ctrlHeld) {
            WritePhase();
            result.message = "OK";
        }
        channel_.Query(cmdControl, controlClose, 0);
        result.closingSent = true;
        result.ok = true;
    } catch (const std::exception& error) {
        observer_.Beep();
        observer_.SetStatusText(error.what());
        result.message = error.what();
    }
    observer_.SetProgressPosition(0);
    return result;
}

void UpdateEngine::WritePhase() {
    observer_.SetStatusText("Writing Bios");
    observer_.ProcessMessages();

    std::uint32_t address = kStartAddress;
    image_.Seek(0);
    observer_.SetProgressMax(static_cast<int>(image_.Size()));

    const std::uint32_t endAddress = image_.EndAddress();
    while (endAddress > address) {
        observer_.SetProgressPosition(static_cast<int>(image_.Position() + kBlockSize));
        observer_.Sleep(std::chrono::milliseconds(25));
        observer_.ProcessMessages();

        // At the end of the image the tail keeps the previous block's transformed bytes.
        image_.Read(block_.data(), kBlockSize);
        if (address == kStartAddress)
            PutSerialDigits();
        BlockTransform(block_.data(), blockKey_);

        if (address == kStartAddress) {
            Check(channel_.SendData(block_.data()), "Bios upload Error");
            Check(channel_.Query(cmdBlock, blockPrepare, address) == 0, "Bios upload Error");
            Check(channel_.Query(cmdErase, 0, 0) == 0, "Biosflash Erase Error");
        }
        Check(channel_.SendData(block_.data()), "Biosflash upload Error");
        Check(channel_.Query(cmdBlock, blockProgram, address) == 0, "Biosflash Program Error");
        address += kBlockSize;
    }

    observer_.SetStatusText("OK");
    observer_.SetProgressPosition(0);
    observer_.ProcessMessages();
    observer_.Sleep(std::chrono::milliseconds(100));
}

// Puts the leading decimal digits of the USB serial text into the header's serial field; digits past the
// field's 32 bytes would overwrite the payload, so they are dropped.
void UpdateEngine::PutSerialDigits() {
    std::fill_n(block_.begin() + kSerialOffset, kSerialWidth, 0);
    const std::string digits = SerialDigits(observer_.UsbSerialText());
    std::copy(digits.begin(), digits.end(), block_.begin() + kSerialOffset);
}

std::string SerialDigits(const std::string& text) {
    std::size_t n = 0;
    while (n < text.size() && n < kSerialWidth && text[n] >= '0' && text[n] <= '9')
        ++n;
    return text.substr(0, n);
}

} // namespace miran::update
