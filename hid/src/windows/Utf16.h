#pragma once

#include <string>
#include <string_view>

namespace miran::hid::windows_backend {

// UTF-8 of a UTF-16 text; a surrogate without its partner becomes U+FFFD.
std::string Utf8FromUtf16(std::u16string_view text);

} // namespace miran::hid::windows_backend
