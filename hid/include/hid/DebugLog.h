#pragma once

#include <functional>
#include <string>

namespace miran::hid {

// Where the HID layer says what it decided (hot-plug source, nodes skipped, opens that failed), one line a
// message without its line end. Nothing is said while no sink is set; any thread may say something.
using DebugSink = std::function<void(const std::string& line)>;

void SetDebugSink(DebugSink sink);
bool DebugEnabled();
void DebugLog(const std::string& line);

// The system's text for an errno value and the value: "Permission denied (errno 13)".
std::string ErrnoText(int error);

} // namespace miran::hid
