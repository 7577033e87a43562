#include "JsonFields.h"

#include <cctype>
#include <stdexcept>

namespace miran::sim {

using nlohmann::json;

std::string FieldError(const std::string& field, const std::string& expected) {
    return "\"" + field + "\": expected " + expected;
}

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

long long Integer(const json& value, const std::string& field, long long min, long long max) {
    bool inRange = false;
    if (value.is_number_unsigned())
        inRange = value.get<std::uint64_t>() <= static_cast<std::uint64_t>(max) &&
                  static_cast<long long>(value.get<std::uint64_t>()) >= min;
    else if (value.is_number_integer())
        inRange = value.get<std::int64_t>() >= min && value.get<std::int64_t>() <= max;
    if (!inRange)
        throw std::runtime_error(
            FieldError(field, "an integer from " + std::to_string(min) + " to " + std::to_string(max)));
    return value.get<long long>();
}

std::string Text(const json& value, const std::string& field) {
    if (!value.is_string())
        throw std::runtime_error(FieldError(field, "a string"));
    return value.get<std::string>();
}

} // namespace miran::sim
