#pragma once

#include <string_view>

namespace miran::paint {

// The 32-bit integer a text holds: surrounding blanks, an optional sign, then decimal digits
// or "$" / "0x" hexadecimal (up to 8 digits, taken as the 32-bit pattern).
// Throws EConvertError "'<text>' is not a valid integer value".
int StrToInt(std::string_view text);

} // namespace miran::paint
