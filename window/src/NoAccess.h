#pragma once

#include <string>

namespace miran::window {

// What the window says of a programmer it may not open for reading and writing: a short line for the status
// panel, and the longer hint naming the node and how to get access, which differs per system.
std::string NoAccessStatus();
std::string NoAccessHint(const std::string& devicePath);

} // namespace miran::window
