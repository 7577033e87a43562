#pragma once

#include <string>
#include <string_view>

namespace miran::win32 {

// The program's texts are UTF-8; Win32's wide functions take UTF-16.
std::wstring ToUtf16(std::string_view text);
std::string ToUtf8(std::wstring_view text);

} // namespace miran::win32
