#pragma once

#include <string>

namespace miran::app {

inline constexpr int kStartFailureExitCode = 1;

// Shows why the main window could not be created in a modal error box and gives the exit code;
// SIGINT and SIGTERM close the box.
int ReportStartFailure(const std::string& message);

} // namespace miran::app
