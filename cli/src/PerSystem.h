#pragma once

#include "cli/Cli.h"

#include <string>

namespace miran::cli {

// What the command line does or says differently per system.

// The lines after "... cannot be opened for reading and writing." that tell how to get access.
std::string PermissionFix();
// Why no programmer can be found when the system's HID access is missing altogether.
std::string NoHidAccessNote();
// --print-udev-rules: the rule on Linux; elsewhere there is none, a usage error.
int PrintUdevRules(Environment& env);
// Before anything is written: the standard streams as the command line writes them.
void PrepareStandardStreams();

} // namespace miran::cli
