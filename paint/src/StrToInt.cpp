#include "paint/StrToInt.h"

#include "Text.h"
#include "core/ConvertError.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace miran::paint {
namespace {

int DigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    const char upper = UpperAscii(c);
    return upper >= 'A' && upper <= 'F' ? upper - 'A' + 10 : 99;
}

} // namespace

int StrToInt(std::string_view text) {
    auto fail = [&]() -> int {
        throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
    };
    std::string_view s = Trimmed(text);
    bool negative = false;
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    int base = 10;
    if (s.starts_with('$')) {
        base = 16;
        s.remove_prefix(1);
    } else if (s.size() >= 2 && s[0] == '0' && UpperAscii(s[1]) == 'X') {
        base = 16;
        s.remove_prefix(2);
    }
    if (s.empty())
        return fail();
    // Beyond 32 bits either way; stopping there keeps the sum from overflowing.
    constexpr std::uint64_t kBeyond = std::uint64_t{1} << 33;
    std::uint64_t magnitude = 0;
    for (char c : s) {
        const int digit = DigitValue(c);
        if (digit >= base)
            return fail();
        magnitude = std::min(magnitude * base + static_cast<std::uint64_t>(digit), kBeyond);
    }
    if (base == 16) {
        if (magnitude > 0xFFFFFFFFu)
            return fail();
        const auto pattern = static_cast<std::uint32_t>(magnitude);
        return static_cast<int>(negative ? 0u - pattern : pattern);
    }
    const std::uint64_t limit = negative ? std::uint64_t{1} << 31 : (std::uint64_t{1} << 31) - 1;
    if (magnitude > limit)
        return fail();
    return negative ? static_cast<int>(-static_cast<std::int64_t>(magnitude)) : static_cast<int>(magnitude);
}

} // namespace miran::paint
