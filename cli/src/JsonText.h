#pragma once

#include "cli/Cli.h"

#include <nlohmann/json.hpp>
#include <string>

namespace miran::cli {

// One JSON Lines record. Texts can carry device or file bytes that are not UTF-8; those become U+FFFD rather
// than aborting the output.
inline std::string JsonText(const nlohmann::json& value) {
    return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

// The record that ends a command's JSON Lines output: its exit code, whether that is success, and the
// command's own fields.
inline nlohmann::json ResultRecord(int exitCode, nlohmann::json fields) {
    fields["event"] = "result";
    fields["ok"] = exitCode == kExitOk;
    fields["exit_code"] = exitCode;
    return fields;
}

} // namespace miran::cli
