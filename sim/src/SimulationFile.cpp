#include "sim/SimulationFile.h"

#include <cctype>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <stdexcept>

namespace miran::sim {

namespace {

using nlohmann::json;

std::vector<std::uint8_t> ParseHex(const std::string& text, const std::string& field) {
    std::string digits;
    for (char c : text) {
        if (std::isspace(static_cast<unsigned char>(c)))
            continue;
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            throw std::runtime_error("\"" + field + "\": not a hex string");
        digits += c;
    }
    if (digits.size() % 2 != 0)
        throw std::runtime_error("\"" + field + "\": odd number of hex digits");
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < digits.size(); i += 2)
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
    return bytes;
}

int Count(const json& device, const char* field) {
    const json& value = device.at(field);
    if (!value.is_number_integer() || value.get<long long>() < 0 || value.get<long long>() > INT32_MAX)
        throw std::runtime_error(std::string("\"") + field + "\": expected a transfer number >= 1");
    return value.get<int>();
}

ProgrammerConfig ParseDevice(const json& device, int index) {
    if (!device.is_object())
        throw std::runtime_error("device " + std::to_string(index) + ": expected an object");
    ProgrammerConfig config = DefaultProgrammer(index);
    for (const auto& [key, value] : device.items()) {
        if (key == "serial") {
            config.serial = value.get<std::string>();
        } else if (key == "info") {
            config.info = ParseHex(value.get<std::string>(), key);
            if (config.info.size() > 1024)
                throw std::runtime_error("\"info\": longer than a data report (1024 bytes)");
        } else if (key == "unique_id") {
            std::vector<std::uint8_t> id = ParseHex(value.get<std::string>(), key);
            if (id.size() != config.uniqueId.size())
                throw std::runtime_error("\"unique_id\": expected 32 hex digits");
            std::copy(id.begin(), id.end(), config.uniqueId.begin());
        } else if (key == "bios") {
            config.bios = ParseHex(value.get<std::string>(), key);
            if (config.bios.size() > 1024)
                throw std::runtime_error("\"bios\": longer than a data report (1024 bytes)");
        } else if (key == "fail_transfer") {
            config.failTransfer = Count(device, "fail_transfer");
        } else if (key == "unplug_at_transfer") {
            config.unplugAtTransfer = Count(device, "unplug_at_transfer");
        } else if (key == "status") {
            if (!value.is_object())
                throw std::runtime_error("\"status\": expected an object of command code -> status");
            for (const auto& [code, status] : value.items()) {
                bool decimal = !code.empty() && code.size() <= 3 &&
                               code.find_first_not_of("0123456789") == std::string::npos;
                int command = decimal ? std::stoi(code) : -1;
                if (command < 0 || command > 255 || !status.is_number_integer() ||
                    status.get<long long>() < 0 || status.get<long long>() > 0xFFFF)
                    throw std::runtime_error(
                        "\"status\": command codes 0..255 and statuses 0..65535 expected");
                config.status[static_cast<std::uint8_t>(command)] = status.get<std::uint16_t>();
            }
        } else if (key == "reply_length") {
            config.replyLength = value.get<std::uint16_t>();
        } else if (key == "no_permission") {
            config.noPermission = value.get<bool>();
        } else if (key == "plug_after_ms") {
            config.plugAfter = std::chrono::milliseconds(Count(device, "plug_after_ms"));
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
    std::ifstream file(path);
    if (!file)
        throw std::runtime_error("cannot read " + path);
    std::ostringstream text;
    text << file.rdbuf();
    try {
        return ParseSimulation(text.str());
    } catch (const std::runtime_error& error) {
        throw std::runtime_error(path + ": " + error.what());
    }
}

} // namespace miran::sim
