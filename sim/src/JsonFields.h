#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace miran::sim {

// The field checks the simulation file and the recording share; each throws std::runtime_error with a
// message naming the field.
std::string FieldError(const std::string& field, const std::string& expected);
std::vector<std::uint8_t> ParseHex(const std::string& text, const std::string& field);
// A JSON integer (never a fraction, an exponent or a boolean) from min to max.
long long Integer(const nlohmann::json& value, const std::string& field, long long min, long long max);
std::string Text(const nlohmann::json& value, const std::string& field);

} // namespace miran::sim
