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
        observer_.Sleep(kBlockWait);
        observer_.ProcessMessages();

        // At the end of the image the tail keeps the previous block's transformed bytes.
        image_.Read(block_.data(), kBlockSize);
        if (address == kStartAddress)
            PutSerialDigits();
        BlockTransform(block_.data(), blockKey_);

        if (address == kStartAddress) {
            Check(channel_.SendData(block_.data()), "Bios upload Error");
            Check(channel_.Query(cmdBlock, blockPrepare, address) == kStatusSuccess, "Bios upload Error");
            Check(channel_.Query(cmdErase, 0, 0) == kStatusSuccess, "Biosflash Erase Error");
        }
        Check(channel_.SendData(block_.data()), "Biosflash upload Error");
        Check(channel_.Query(cmdBlock, blockProgram, address) == kStatusSuccess, "Biosflash Program Error");
        address += kBlockSize;
    }

    observer_.SetStatusText("OK");
    observer_.SetProgressPosition(0);
    observer_.ProcessMessages();
    observer_.Sleep(kAfterUploadWait);
}

// Puts the leading decimal digits of the USB serial text into the header's serial field; digits past the
// field's 32 bytes would overwrite the payload, so they are dropped.
void UpdateEngine::PutSerialDigits() {
    std::fill_n(block_.begin() + header::SerialText.offset, header::SerialText.width, 0);
    const std::string digits = SerialDigits(observer_.UsbSerialText());
    std::copy(digits.begin(), digits.end(), block_.begin() + header::SerialText.offset);
}

std::string SerialDigits(const std::string& text) {
    std::size_t n = 0;
    while (n < text.size() && n < header::SerialText.width && text[n] >= '0' && text[n] <= '9')
        ++n;
    return text.substr(0, n);
}

} // namespace miran::update
