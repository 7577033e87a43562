#include "sim/ProgrammerConfig.h"

#include <cstring>
#include <string_view>

namespace miran::sim {

namespace {

namespace header = update::header;

void PutText(std::vector<std::uint8_t>& block, std::size_t offset, std::string_view text) {
    std::memcpy(block.data() + offset, text.data(), text.size());
}

} // namespace

ProgrammerConfig ProgrammerConfig::Defaults() {
    ProgrammerConfig config;

    config.info.assign(update::kDeviceInfoSize, 0);
    PutText(config.info, header::Magic.offset, update::kMagic);
    PutText(config.info, 4, "POLY-MCU");
    config.info[32] = 1; // second level pair, the device's own business
    config.info[33] = 0;
    config.info[update::kRequiredLevelMajor] = 1; // requires tool level 1.0
    config.info[update::kRequiredLevelMinor] = 0;

    for (std::size_t i = 0; i < config.uniqueId.size(); ++i)
        config.uniqueId[i] = static_cast<std::uint8_t>(0x30 + 7 * i);

    config.bios.assign(update::kImageHeaderSize, 0);
    PutText(config.bios, header::Magic.offset, update::kMagic);
    config.bios[header::VersionMajor.offset] = 1;
    config.bios[header::VersionMinor.offset] = 8;
    config.bios[header::VersionPatch.offset] = 2;
    PutText(config.bios, header::InfoText.offset, "MIRAN-ISP v1.8.2");
    PutText(config.bios, header::SerialText.offset, "4711000000001");
    return config;
}

} // namespace miran::sim
