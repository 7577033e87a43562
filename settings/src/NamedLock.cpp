#include "NamedLock.h"

#include <string_view>

namespace miran::settings {

namespace {

std::string Base64(std::string_view bytes) {
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const auto byte = [&](std::size_t at) {
            return at < bytes.size() ? static_cast<unsigned char>(bytes[at]) : 0u;
        };
        const unsigned group = byte(i) << 16 | byte(i + 1) << 8 | byte(i + 2);
        const auto present = bytes.size() - i;
        for (std::size_t sextet = 0; sextet < 4; ++sextet)
            text += sextet <= present ? kAlphabet[group >> (18 - 6 * sextet) & 0x3F] : '=';
    }
    return text;
}

} // namespace

std::string TNamedLock::LockName(const std::string& resolvedFileName) {
    return Base64("TCustomAppStorage.Synchronize:" + resolvedFileName);
}

} // namespace miran::settings
