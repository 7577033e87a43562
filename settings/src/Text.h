#pragma once

#include <optional>
#include <string_view>

namespace miran::settings {

// Space and the control characters count as blanks, as in the file format.
inline bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

std::string_view Trim(std::string_view text);

// Case-insensitive comparison of 8-bit texts (ASCII letters fold).
bool SameText(std::string_view a, std::string_view b);

// Signed decimal 32-bit integer, the whole text; nullopt when it does not convert.
std::optional<int> ParseInteger(std::string_view text);

} // namespace miran::settings
