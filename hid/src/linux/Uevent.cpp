#include "Uevent.h"

#include <string_view>

namespace miran::hid::linux_backend {

std::optional<UeventProperties> ParseKernelUevent(const char* data, std::size_t size) {
    std::string_view message(data, size);
    std::size_t end = message.find('\0');
    std::string_view header = message.substr(0, end);
    if (header.find('@') == std::string_view::npos || header.find('=') != std::string_view::npos)
        return std::nullopt;
    UeventProperties properties;
    while (end != std::string_view::npos && end + 1 < message.size()) {
        std::size_t start = end + 1;
        end = message.find('\0', start);
        std::string_view pair = message.substr(start, end == std::string_view::npos ? end : end - start);
        if (auto eq = pair.find('='); eq != std::string_view::npos)
            properties.emplace(pair.substr(0, eq), pair.substr(eq + 1));
    }
    if (properties.count("ACTION") == 0)
        return std::nullopt;
    return properties;
}

bool IsHidrawNodeChange(const UeventProperties& event) {
    auto value = [&](const char* key) {
        auto it = event.find(key);
        return it == event.end() ? std::string() : it->second;
    };
    const std::string action = value("ACTION");
    return value("SUBSYSTEM") == "hidraw" && (action == "add" || action == "remove");
}

} // namespace miran::hid::linux_backend
