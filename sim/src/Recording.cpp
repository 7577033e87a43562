#include "sim/Recording.h"

#include "JsonFields.h"

#include <cstdio>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <stdexcept>

namespace miran::sim {

namespace {

using nlohmann::json;
using Line = nlohmann::ordered_json; // fields in the order written, the event first

constexpr const char* kFormatName = "miran-isp-up";
constexpr int kFormat = 1;

std::string Hex(const std::vector<std::uint8_t>& bytes) {
    std::string text;
    char digits[3];
    for (std::uint8_t byte : bytes) {
        std::snprintf(digits, sizeof digits, "%02x", byte);
        text += digits;
    }
    return text;
}

Line LineOf(const RecordedPlug& plug) {
    Line line = {{"event", "plug"}, {"device", plug.device}, {"instance", plug.instance}};
    if (plug.attributes) {
        line["vendor_id"] = plug.attributes->VendorID;
        line["product_id"] = plug.attributes->ProductID;
        line["version_number"] = plug.attributes->VersionNumber;
    }
    if (!plug.serial.empty())
        line["serial"] = plug.serial;
    if (plug.openError)
        line["open_error"] = *plug.openError;
    return line;
}

Line LineOf(const RecordedUnplug& unplug) {
    return {{"event", "unplug"}, {"device", unplug.device}};
}

Line LineOf(const RecordedRefusal& refusal) {
    return {{"event", "refused"}, {"device", refusal.device}, {"error", refusal.error}};
}

Line LineOf(const RecordedTransfer& transfer) {
    return {{"event", "transfer"},
            {"device", transfer.device},
            {"direction", transfer.get ? "get" : "set"},
            {"report_id", transfer.reportId},
            {transfer.get ? "received" : "sent", Hex(transfer.bytes)},
            {"ok", transfer.ok}};
}

// Reads one line's fields, each at most once, and refuses the fields it was not asked for.
class Fields {
public:
    explicit Fields(const json& line) : line_(line) {
        if (!line_.is_object())
            throw std::runtime_error("expected an object");
    }

    bool Has(const std::string& field) const { return line_.contains(field); }
    const json& Get(const std::string& field) {
        if (!line_.contains(field))
            throw std::runtime_error("\"" + field + "\": missing");
        taken_.insert(field);
        return line_.at(field);
    }
    void RefuseOthers() const {
        for (const auto& [key, value] : line_.items()) {
            if (!taken_.count(key))
                throw std::runtime_error("unknown field \"" + key + "\"");
        }
    }

private:
    const json& line_;
    std::set<std::string> taken_;
};

bool Boolean(const json& value, const std::string& field) {
    if (!value.is_boolean())
        throw std::runtime_error(FieldError(field, "true or false"));
    return value.get<bool>();
}

// The devices plugged so far, to check that every event names one that is there.
struct Plugged {
    std::map<int, std::string> present; // device -> its instance
    std::set<int> seen;
};

int Device(Fields& fields, const Plugged& plugged) {
    const int device = static_cast<int>(Integer(fields.Get("device"), "device", 0, INT32_MAX));
    if (!plugged.present.count(device))
        throw std::runtime_error("device " + std::to_string(device) + " is not plugged");
    return device;
}

RecordedPlug ParsePlug(Fields& fields, Plugged& plugged) {
    RecordedPlug plug;
    plug.device = static_cast<int>(Integer(fields.Get("device"), "device", 0, INT32_MAX));
    if (!plugged.seen.insert(plug.device).second)
        throw std::runtime_error("device " + std::to_string(plug.device) + " was plugged before");
    plug.instance = Text(fields.Get("instance"), "instance");
    for (const auto& [device, instance] : plugged.present) {
        if (instance == plug.instance)
            throw std::runtime_error("instance \"" + instance + "\" is plugged already");
    }
    plugged.present[plug.device] = plug.instance;
    if (fields.Has("vendor_id") || fields.Has("product_id") || fields.Has("version_number")) {
        plug.attributes = hid::HidAttributes{
            static_cast<std::uint16_t>(Integer(fields.Get("vendor_id"), "vendor_id", 0, 0xFFFF)),
            static_cast<std::uint16_t>(Integer(fields.Get("product_id"), "product_id", 0, 0xFFFF)),
            static_cast<std::uint16_t>(Integer(fields.Get("version_number"), "version_number", 0, 0xFFFF))};
    }
    if (fields.Has("serial"))
        plug.serial = Text(fields.Get("serial"), "serial");
    if (fields.Has("open_error"))
        plug.openError = static_cast<int>(Integer(fields.Get("open_error"), "open_error", 0, INT32_MAX));
    return plug;
}

RecordedTransfer ParseTransfer(Fields& fields, const Plugged& plugged) {
    RecordedTransfer transfer;
    transfer.device = Device(fields, plugged);
    const std::string direction = Text(fields.Get("direction"), "direction");
    if (direction != "get" && direction != "set")
        throw std::runtime_error(FieldError("direction", "\"get\" or \"set\""));
    transfer.get = direction == "get";
    transfer.reportId = static_cast<std::uint8_t>(Integer(fields.Get("report_id"), "report_id", 0, 255));
    const char* bytes = transfer.get ? "received" : "sent";
    transfer.bytes = ParseHex(Text(fields.Get(bytes), bytes), bytes);
    transfer.ok = Boolean(fields.Get("ok"), "ok");
    return transfer;
}

RecordedEvent ParseEvent(const json& line, Plugged& plugged) {
    Fields fields(line);
    const std::string event = Text(fields.Get("event"), "event");
    RecordedEvent parsed;
    if (event == "plug") {
        parsed = ParsePlug(fields, plugged);
    } else if (event == "unplug") {
        parsed = RecordedUnplug{Device(fields, plugged)};
        plugged.present.erase(std::get<RecordedUnplug>(parsed).device);
    } else if (event == "refused") {
        parsed = RecordedRefusal{Device(fields, plugged),
                                 static_cast<int>(Integer(fields.Get("error"), "error", 0, INT32_MAX))};
    } else if (event == "transfer") {
        parsed = ParseTransfer(fields, plugged);
    } else {
        throw std::runtime_error(FieldError("event", "\"plug\", \"unplug\", \"refused\" or \"transfer\""));
    }
    fields.RefuseOthers();
    return parsed;
}

} // namespace

std::string RecordingHeader() {
    return Line({{"recording", kFormatName}, {"format", kFormat}}).dump();
}

std::string RecordingLine(const RecordedEvent& event) {
    return std::visit([](const auto& e) { return LineOf(e).dump(); }, event);
}

bool IsRecording(const std::string& text) {
    const json header = json::parse(text.substr(0, text.find('\n')), nullptr, false);
    return header.is_object() && header.contains("recording");
}

std::vector<RecordedEvent> ParseRecording(const std::string& text) {
    std::istringstream lines(text);
    std::string line;
    std::getline(lines, line);
    const json header = json::parse(line, nullptr, false);
    if (!header.is_object() || header.value("recording", json()) != kFormatName ||
        header.value("format", json()) != kFormat)
        throw std::runtime_error("line 1: expected " + RecordingHeader());
    std::vector<RecordedEvent> events;
    Plugged plugged;
    for (int number = 2; std::getline(lines, line); ++number) {
        if (line.find_first_not_of(" \t\r") == std::string::npos)
            continue;
        try {
            events.push_back(ParseEvent(json::parse(line), plugged));
        } catch (const std::exception& fault) {
            throw std::runtime_error("line " + std::to_string(number) + ": " + fault.what());
        }
    }
    return events;
}

} // namespace miran::sim
