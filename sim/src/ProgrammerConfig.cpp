#include "sim/ProgrammerConfig.h"

#include <cstring>

namespace miran::sim {

namespace {

void PutText(std::vector<std::uint8_t>& block, std::size_t offset, const char* text) {
    std::memcpy(block.data() + offset, text, std::strlen(text));
}

} // namespace

ProgrammerConfig ProgrammerConfig::Defaults() {
    ProgrammerConfig config;

    config.info.assign(48, 0);
    PutText(config.info, 0, "MN05");
    PutText(config.info, 4, "POLY-MCU");
    config.info[32] = 1; // second level pair, the device's own business
    config.info[33] = 0;
    config.info[34] = 1; // requires tool level 1.0
    config.info[35] = 0;

    for (std::size_t i = 0; i < config.uniqueId.size(); ++i)
        config.uniqueId[i] = static_cast<std::uint8_t>(0x30 + 7 * i);

    config.bios.assign(128, 0);
    PutText(config.bios, 0, "MN05");
    config.bios[12] = 1;
    config.bios[13] = 8;
    config.bios[14] = 2;
    PutText(config.bios, 64, "MIRAN-ISP v1.8.2");
    PutText(config.bios, 96, "4711000000001");
    return config;
}

} // namespace miran::sim
