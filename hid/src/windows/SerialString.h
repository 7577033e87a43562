#pragma once

#include <array>
#include <string>

namespace miran::hid::windows_backend {

// Both strings as HID.dll fills them: 508-byte buffers, 254 UTF-16 units.
inline constexpr std::size_t kStringUnits = 254;
using StringUnits = std::array<char16_t, kStringUnits>;

// The serial string unless it is no usable one: a device without a serial string answers with its language
// list (string descriptor 0), and one whose descriptor 0 cannot be read (the 0xFFFF fill stays) has none.
// `languages` is read into a buffer filled with 0xFFFF units; the result ends at the serial's first NUL.
std::u16string UsableSerial(const StringUnits& serial, const StringUnits& languages);

} // namespace miran::hid::windows_backend
