#include "sim/SimulationFile.h"

#include "JsonFields.h"
#include "RegularFile.h"

#include <nlohmann/json.hpp>
#include <stdexcept>

namespace miran::sim {

namespace {

using nlohmann::json;

ProgrammerConfig ParseDevice(const json& device, int index) {
    if (!device.is_object())
        throw std::runtime_error("device " + std::to_string(index) + ": expected an object");
    ProgrammerConfig config = DefaultProgrammer(index);
    for (const auto& [key, value] : device.items()) {
        if (key == "serial") {
            config.serial = Text(value, key);
        } else if (key == "info") {
            config.info = ParseHex(Text(value, key), key);
            if (config.info.size() > update::kDataSize)
                throw std::runtime_error("\"info\": longer than a data report (" +
                                         std::to_string(update::kDataSize) + " bytes)");
        } else if (key == "unique_id") {
            std::vector<std::uint8_t> id = ParseHex(Text(value, key), key);
            if (id.size() != config.uniqueId.size())
                throw std::runtime_error(FieldError(key, "32 hex digits"));
            std::copy(id.begin(), id.end(), config.uniqueId.begin());
        } else if (key == "bios") {
            config.bios = ParseHex(Text(value, key), key);
            if (config.bios.size() > update::kDataSize)
                throw std::runtime_error("\"bios\": longer than a data report (" +
                                         std::to_string(update::kDataSize) + " bytes)");
        } else if (key == "fail_transfer") {
            config.failTransfer = static_cast<int>(Integer(value, key, 1, INT32_MAX));
        } else if (key == "unplug_at_transfer") {
            config.unplugAtTransfer = static_cast<int>(Integer(value, key, 1, INT32_MAX));
        } else if (key == "status") {
            if (!value.is_object())
                throw std::runtime_error(FieldError(key, "an object of command code -> status"));
            for (const auto& [code, status] : value.items()) {
                bool decimal = !code.empty() && code.size() <= 3 &&
                               code.find_first_not_of("0123456789") == std::string::npos;
                if (!decimal || std::stoi(code) > 255)
                    throw std::runtime_error(
                        FieldError(key, "command codes from 0 to 255, not \"" + code + "\""));
                config.status[static_cast<std::uint8_t>(std::stoi(code))] =
                    static_cast<std::uint16_t>(Integer(status, key + "\" \"" + code, 0, 0xFFFF));
            }
        } else if (key == "reply_length") {
            config.replyLength = static_cast<std::uint16_t>(Integer(value, key, 0, 0xFFFF));
        } else if (key == "no_permission") {
            if (!value.is_boolean())
                throw std::runtime_error(FieldError(key, "true or false"));
            config.noPermission = value.get<bool>();
        } else if (key == "plug_after_ms") {
            config.plugAfter = std::chrono::milliseconds(Integer(value, key, 0, INT32_MAX));
        } else {
            throw std::runtime_error("device " + std::to_string(index) + ": unknown field \"" + key + "\"");
        }
    }
    return config;
}

} // namespace

ProgrammerConfig DefaultProgrammer(int index) {
    ProgrammerConfig config = ProgrammerConfig::Defaults();
    std::string number = std::to_string(index + 1);
    config.serial = "PM" + std::string(10 - number.size(), '0') + number;
    config.uniqueId[15] = static_cast<std::uint8_t>(index);
    config.uniqueId[0] = static_cast<std::uint8_t>(config.uniqueId[0] + index);
    return config;
}

std::vector<ProgrammerConfig> ParseSimulation(const std::string& text) {
    try {
        json document = json::parse(text);
        if (!document.is_object() || !document.contains("devices") || !document["devices"].is_array())
            throw std::runtime_error("expected {\"devices\": [...]}");
        std::vector<ProgrammerConfig> configs;
        for (const json& device : document["devices"])
            configs.push_back(ParseDevice(device, static_cast<int>(configs.size())));
        return configs;
    } catch (const json::exception& error) {
        throw std::runtime_error(error.what());
    }
}

std::vector<ProgrammerConfig> LoadSimulationFile(const std::string& path) {
    const std::string text = ReadRegularFile(path, kMaxSimulationMiB);
    try {
        return ParseSimulation(text);
    } catch (const std::runtime_error& fault) {
        throw std::runtime_error(path + ": " + fault.what());
    }
}

} // namespace miran::sim
