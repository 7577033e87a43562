#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>

namespace miran::hid::linux_backend {

// KEY=VALUE properties of one device event (ACTION, SUBSYSTEM, DEVNAME, ...).
using UeventProperties = std::map<std::string, std::string>;

// A kernel uevent datagram: "action@devpath", then NUL-separated KEY=VALUE pairs. Nothing for anything else.
std::optional<UeventProperties> ParseKernelUevent(const char* data, std::size_t size);

// Whether the event adds or removes a hidraw node, the only changes a scan has to follow.
bool IsHidrawNodeChange(const UeventProperties& event);

} // namespace miran::hid::linux_backend
