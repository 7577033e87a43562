#pragma once

#include <QString>
#include <stdexcept>

namespace miran::widgets {

// A text that should hold a number (or a colour) does not.
class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The 32-bit integer a text holds: surrounding blanks, an optional sign, then decimal digits
// or "$" / "0x" hexadecimal (up to 8 digits, taken as the 32-bit pattern).
// Throws EConvertError "'<text>' is not a valid integer value".
int StrToInt(const QString& text);

} // namespace miran::widgets
