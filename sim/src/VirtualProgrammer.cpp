#include "sim/VirtualProgrammer.h"

#include "update/BlockTransform.h"
#include "update/Crc16.h"

#include <algorithm>
#include <cstring>

namespace miran::sim {

using namespace update;

namespace {

// Undoes the host's block transform.
void DecryptBlock(std::uint8_t* block, const TBlockKey& key) {
    for (std::size_t i = 0; i < kBlockSize; ++i) {
        std::uint8_t t = static_cast<std::uint8_t>(block[i] + i / 5);
        t ^= key[7 - (i & 7)];
        t = static_cast<std::uint8_t>(t - i / 3);
        block[i] = t ^ key[(i >> 4) & 7];
    }
}

} // namespace

VirtualProgrammer::VirtualProgrammer(ProgrammerConfig config)
    : config_(std::move(config)), flash_(kFlashSize, 0xFF) {
    std::copy(config_.bios.begin(),
              config_.bios.begin() + std::min(config_.bios.size(), flash_.size() - kStartAddress),
              flash_.begin() + kStartAddress);
}

bool VirtualProgrammer::CountTransfer() {
    ++transfers_;
    if (onTransfer)
        onTransfer(transfers_);
    if (vanished_)
        return false;
    if (transfers_ == config_.unplugAtTransfer) {
        vanished_ = true;
        if (onVanish)
            onVanish();
        return false;
    }
    return transfers_ != config_.failTransfer;
}

bool VirtualProgrammer::SetFeature(const std::uint8_t* buffer, std::size_t length) {
    if (!CountTransfer() || length == 0)
        return false;
    if (buffer[0] == kReportData && length == kDataReportSize) {
        std::copy_n(buffer + 1, received_.size(), received_.begin());
        return true;
    }
    if (buffer[0] == kReportCommand && length == kCommandReportSize) {
        std::uint16_t param16 = static_cast<std::uint16_t>(buffer[2] | buffer[3] << 8);
        std::uint32_t param32 =
            static_cast<std::uint32_t>(buffer[4]) | static_cast<std::uint32_t>(buffer[5]) << 8 |
            static_cast<std::uint32_t>(buffer[6]) << 16 | static_cast<std::uint32_t>(buffer[7]) << 24;
        return Execute(buffer[1], param16, param32);
    }
    return false;
}

bool VirtualProgrammer::GetFeature(std::uint8_t* buffer, std::size_t length) {
    if (!CountTransfer() || length == 0)
        return false;
    // Replies fill the buffer from its first byte; the report ID is not echoed.
    if (buffer[0] == kReportData && length == kDataReportSize) {
        std::copy(reply_.begin(), reply_.end(), buffer);
        buffer[reply_.size()] = 0;
        return true;
    }
    if (buffer[0] == kReportStatus && length == kStatusReportSize) {
        std::uint16_t length16 = config_.replyLength.value_or(replyLength_);
        const std::uint8_t status[kStatusReportSize] = {
            static_cast<std::uint8_t>(status_), static_cast<std::uint8_t>(status_ >> 8),
            static_cast<std::uint8_t>(length16), static_cast<std::uint8_t>(length16 >> 8), 0};
        std::memcpy(buffer, status, sizeof status);
        if (rebootPending_)
            Reboot();
        return true;
    }
    return false;
}

void VirtualProgrammer::Reply(const std::vector<std::uint8_t>& data) {
    reply_.fill(0);
    std::size_t n = std::min(data.size(), reply_.size());
    std::copy_n(data.begin(), n, reply_.begin());
    replyLength_ = static_cast<std::uint16_t>(n);
}

bool VirtualProgrammer::Execute(std::uint8_t command, std::uint16_t param16, std::uint32_t param32) {
    status_ = kStatusSuccess;
    switch (command) {
    case cmdStatus: // Length of the last data reply stays
        break;
    case cmdControl:
        if (param16 == kControlInfo) {
            Reply(config_.info);
        } else if (param16 == controlClose) {
            rebootPending_ = true;
        } else {
            const std::uint16_t expected =
                Crc16(config_.info.data(), static_cast<std::uint16_t>(config_.info.size())) ^ kUnlockMask;
            unlocked_ = param16 == expected;
            Reply({static_cast<std::uint8_t>(unlocked_ ? 1 : 0)});
            status_ = unlocked_ ? kStatusSuccess : kStatusLocked;
        }
        break;
    case cmdBiosInfo:
        Reply(config_.bios);
        break;
    case cmdBlock:
        if (!unlocked_) {
            status_ = kStatusLocked;
        } else if (param16 == blockPrepare) {
            prepared_ = param32 == kStartAddress;
            erased_ = false;
            status_ = prepared_ ? kStatusSuccess : kStatusOutOfRange;
        } else if (param16 == blockProgram) {
            status_ = Program(param32);
        } else {
            status_ = kStatusBadCommand;
        }
        break;
    case cmdReadId:
        // Without a valid unlock the id is not given out.
        if (!unlocked_)
            return false;
        Reply(std::vector<std::uint8_t>(config_.uniqueId.begin(), config_.uniqueId.end()));
        break;
    case cmdErase:
        if (!unlocked_) {
            status_ = kStatusLocked;
        } else if (!prepared_) {
            status_ = kStatusSequence;
        } else {
            std::fill(flash_.begin() + kStartAddress, flash_.end(), 0xFF);
            erased_ = true;
        }
        break;
    default:
        status_ = kStatusBadCommand;
        break;
    }
    auto forced = config_.status.find(command);
    if (forced != config_.status.end())
        status_ = forced->second;
    return true;
}

std::uint16_t VirtualProgrammer::Program(std::uint32_t address) {
    if (!erased_)
        return kStatusSequence;
    if (address < kStartAddress || address > flash_.size() - kBlockSize)
        return kStatusOutOfRange;
    std::array<std::uint8_t, kBlockSize> block;
    std::copy_n(received_.begin(), kBlockSize, block.begin());
    DecryptBlock(block.data(), DeriveBlockKey(config_.uniqueId));
    if (address == kStartAddress && std::memcmp(block.data(), kMagic.data(), kMagic.size()) != 0)
        return kStatusBadImage;
    std::copy(block.begin(), block.end(), flash_.begin() + address);
    return kStatusSuccess;
}

void VirtualProgrammer::Reboot() {
    rebootPending_ = false;
    config_.bios.assign(flash_.begin() + kStartAddress, flash_.begin() + kStartAddress + kImageHeaderSize);
    unlocked_ = prepared_ = erased_ = false;
    ++reboots_;
    if (onReboot)
        onReboot();
}

} // namespace miran::sim
