#pragma once

#include "hid/VirtualHidPlatform.h"
#include "sim/ProgrammerConfig.h"
#include "update/Protocol.h"

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

namespace miran::sim {

// Status values the device answers besides 0 (success).
inline constexpr std::uint16_t kStatusBadCommand = 1;
inline constexpr std::uint16_t kStatusLocked = 2;
inline constexpr std::uint16_t kStatusSequence = 3; // program before erase, erase before prepare
inline constexpr std::uint16_t kStatusBadImage = 4; // first block does not decrypt to a firmware header
inline constexpr std::uint16_t kStatusOutOfRange = 5;

inline constexpr std::size_t kFlashSize = 64 * 1024;

// The programmer's side of the protocol: answers requests, checks the unlock value, decrypts each
// programmed block with the key derived from its own unique id into its flash, and reboots after the
// closing command with the header now in flash as its installed Bios.
class VirtualProgrammer : public hid::VirtualHidEndpoint {
public:
    explicit VirtualProgrammer(ProgrammerConfig config);

    bool GetFeature(std::uint8_t* buffer, std::size_t length) override;
    bool SetFeature(const std::uint8_t* buffer, std::size_t length) override;

    // Called after the closing command, once its status has been fetched.
    std::function<void()> onReboot;
    // Called when the device vanishes (fault injection).
    std::function<void()> onVanish;
    // Called as each transfer arrives, with its number counted from 1, before it is answered.
    std::function<void(int transfer)> onTransfer;

    const ProgrammerConfig& Config() const { return config_; }
    // From now on the query of this command is answered with this status.
    void ForceStatus(std::uint8_t command, std::uint16_t status) { config_.status[command] = status; }
    const std::vector<std::uint8_t>& Flash() const { return flash_; }
    const std::vector<std::uint8_t>& InstalledBios() const { return config_.bios; }
    bool Unlocked() const { return unlocked_; }
    int TransferCount() const { return transfers_; }
    int RebootCount() const { return reboots_; }

private:
    // Counts the transfer and applies the injected faults; false when it must fail.
    bool CountTransfer();
    bool Execute(std::uint8_t command, std::uint16_t param16, std::uint32_t param32);
    void Reply(const std::vector<std::uint8_t>& data);
    std::uint16_t Program(std::uint32_t address);
    void Reboot();

    ProgrammerConfig config_;
    std::vector<std::uint8_t> flash_;
    std::array<std::uint8_t, update::kDataSize> received_{};
    std::array<std::uint8_t, update::kDataSize> reply_{};
    std::uint16_t replyLength_ = 0;
    std::uint16_t status_ = 0;
    bool unlocked_ = false;
    bool prepared_ = false;
    bool erased_ = false;
    bool rebootPending_ = false;
    bool vanished_ = false;
    int transfers_ = 0;
    int reboots_ = 0;
};

} // namespace miran::sim
