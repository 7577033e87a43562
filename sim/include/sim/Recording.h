#pragma once

#include "hid/HidPlatform.h"

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace miran::sim {

// A HID session as the backend saw it, kept as JSON Lines. The first line names the format:
//   {"recording":"miran-isp-up","format":1}
// then one event per line, in the order they happened:
//   {"event":"plug","device":0,"instance":"...","vendor_id":5824,"product_id":10920,"version_number":256,
//    "serial":"PM0000000001"}
//       no vendor_id, product_id, version_number: the attributes could not be read; no serial: none;
//       "open_error": errno when not even a query-only open succeeded
//   {"event":"unplug","device":0}
//   {"event":"refused","device":0,"error":13}     a read-write open was refused with this errno
//   {"event":"transfer","device":0,"direction":"set","report_id":2,"sent":"0201...","ok":true}
//   {"event":"transfer","device":0,"direction":"get","report_id":3,"received":"0300...","ok":false}
// Bytes are hex, the whole buffer with byte 0 first; a Get's are the buffer after the call. Devices are
// numbered from 0 in the order they were first seen; a device plugged again is a new device.
struct RecordedPlug {
    int device = 0;
    std::string instance;
    std::optional<hid::HidAttributes> attributes; // none: they could not be read
    std::string serial;                           // empty: the interface has none
    std::optional<int> openError;                 // not even a query-only open succeeded
};

struct RecordedUnplug {
    int device = 0;
};

struct RecordedRefusal {
    int device = 0;
    int error = 0;
};

struct RecordedTransfer {
    int device = 0;
    bool get = false;
    std::uint8_t reportId = 0;
    std::vector<std::uint8_t> bytes; // a Set's bytes sent, a Get's bytes received
    bool ok = true;
};

inline constexpr std::uintmax_t kMaxRecordingMiB = 64;

using RecordedEvent = std::variant<RecordedPlug, RecordedUnplug, RecordedRefusal, RecordedTransfer>;

std::string RecordingHeader();
// One line of the recording, without its line end.
std::string RecordingLine(const RecordedEvent& event);

// Whether the text's first line is a recording's header (else it is taken for a simulation file).
bool IsRecording(const std::string& text);
// The events of a recording. Throws std::runtime_error with a message naming the line and the field.
std::vector<RecordedEvent> ParseRecording(const std::string& text);

} // namespace miran::sim
