#pragma once

#include <string>

namespace miran::app {

// A top-level X11 window whose WM_CLASS class is the given one, in any case, exists (false without an X11
// connection).
bool X11WindowClassExists(const std::string& windowClass);

} // namespace miran::app
