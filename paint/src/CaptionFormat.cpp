#include "paint/CaptionFormat.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <optional>

namespace miran::paint {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// A width or precision as written, at most kMaxCaptionField (also when it overflows int).
int FieldSize(std::string_view digits) {
    std::int64_t size = 0;
    for (char c : digits)
        size = std::min<std::int64_t>(size * 10 + (c - '0'), kMaxCaptionField);
    return static_cast<int>(size);
}

struct Conversion {
    bool leftJustified = false;
    std::string_view width;
    std::string_view precision;
    char kind = 'd';
    std::size_t end = 0; // just past the conversion letter
};

// The conversion "%[-][width][.precision](d|u|x|X)" that starts with the "%" at start, if any.
std::optional<Conversion> ParseConversion(std::string_view format, std::size_t start) {
    Conversion c;
    std::size_t at = start + 1;
    auto digitsFrom = [&](std::size_t from) {
        std::size_t end = from;
        while (end < format.size() && IsDigit(format[end]))
            ++end;
        return end;
    };
    if (at < format.size() && format[at] == '-') {
        c.leftJustified = true;
        ++at;
    }
    const std::size_t widthEnd = digitsFrom(at);
    c.width = format.substr(at, widthEnd - at);
    at = widthEnd;
    if (at + 1 < format.size() && format[at] == '.' && IsDigit(format[at + 1])) {
        const std::size_t precisionEnd = digitsFrom(at + 1);
        c.precision = format.substr(at + 1, precisionEnd - at - 1);
        at = precisionEnd;
    }
    if (at >= format.size() || std::string_view("duxX").find(format[at]) == std::string_view::npos)
        return std::nullopt;
    c.kind = format[at];
    c.end = at + 1;
    return c;
}

std::string Formatted(const Conversion& c, int value) {
    char buffer[16];
    const char* pattern = c.kind == 'x' ? "%x" : c.kind == 'X' ? "%X" : "%u";
    const unsigned magnitude =
        c.kind == 'd' && value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
    std::snprintf(buffer, sizeof buffer, pattern, magnitude);
    std::string digits = buffer;
    const auto precision = static_cast<std::size_t>(FieldSize(c.precision));
    if (digits.size() < precision)
        digits.insert(0, precision - digits.size(), '0');
    if (c.kind == 'd' && value < 0)
        digits.insert(0, 1, '-');
    const auto width = static_cast<std::size_t>(FieldSize(c.width));
    if (digits.size() < width) {
        if (c.leftJustified)
            digits.append(width - digits.size(), ' ');
        else
            digits.insert(0, width - digits.size(), ' ');
    }
    return digits;
}

} // namespace

std::string FormatCaption(std::string_view format, int value) {
    std::string result;
    std::size_t done = 0;
    for (std::size_t at = format.find('%'); at != std::string_view::npos; at = format.find('%', at)) {
        if (at + 1 < format.size() && format[at + 1] == '%') {
            result.append(format.substr(done, at - done)).append(1, '%');
            done = at = at + 2;
        } else if (const auto conversion = ParseConversion(format, at)) {
            result.append(format.substr(done, at - done)).append(Formatted(*conversion, value));
            done = at = conversion->end;
        } else {
            ++at;
        }
    }
    return result.append(format.substr(done));
}

} // namespace miran::paint
