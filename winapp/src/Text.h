#pragma once

#include "WindowsApi.h"

#include <string>

namespace miran::winapp {

// The layers' texts are UTF-8, the status panel's in the system's code page; windows take UTF-16.
std::wstring Widen(const std::string& text, UINT codePage = CP_UTF8);
std::string Narrow(const std::wstring& text, UINT codePage = CP_UTF8);
// A window's text.
std::string WindowText(HWND window, UINT codePage = CP_UTF8);

} // namespace miran::winapp
