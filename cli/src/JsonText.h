#pragma once

#include <nlohmann/json.hpp>
#include <string>

namespace miran::cli {

// One JSON Lines record. Texts can carry device or file bytes that are not UTF-8; those become U+FFFD rather
// than aborting the output.
inline std::string JsonText(const nlohmann::json& value) {
    return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

} // namespace miran::cli
