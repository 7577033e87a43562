#include "resources/Resources.h"

namespace miran::resources {

std::span<const std::uint8_t> Find(std::string_view type, std::string_view name) {
    for (const Entry& e : Table()) {
        if (e.type == type && e.name == name)
            return e.bytes;
    }
    return {};
}

} // namespace miran::resources
