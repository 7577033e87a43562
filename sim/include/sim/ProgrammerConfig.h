#pragma once

#include "update/BlockTransform.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace miran::sim {

// How one virtual programmer looks and misbehaves. The defaults make a healthy device with an older Bios.
struct ProgrammerConfig {
    std::string serial = "PM0000000001";          // USB serial-number string
    std::vector<std::uint8_t> info;               // reply to the info request; its size is the reply's Length
    update::TUniqueId uniqueId{};                 // the chip's unique id
    std::vector<std::uint8_t> bios;               // installed Bios info block (a firmware header)
    int failTransfer = 0;                         // this transfer (counted from 1) fails; 0: none
    int unplugAtTransfer = 0;                     // the device vanishes at this transfer; 0: never
    std::map<std::uint8_t, std::uint16_t> status; // command code -> status answered to its query
    std::optional<std::uint16_t> replyLength;     // Length reported instead of the true one
    bool noPermission = false;                    // the user may not open it for reading and writing
    std::chrono::milliseconds plugAfter{0};       // plugged in this long after the start

    static ProgrammerConfig Defaults();
};

} // namespace miran::sim
