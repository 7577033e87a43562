#include "Text.h"

#include <algorithm>

namespace miran::paint {

char UpperAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string UpperAscii(std::string_view text) {
    std::string upper(text);
    std::transform(upper.begin(), upper.end(), upper.begin(), [](char c) { return UpperAscii(c); });
    return upper;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return UpperAscii(x) == UpperAscii(y); });
}

std::size_t FindNoCase(std::string_view text, std::string_view what, std::size_t from) {
    if (from > text.size())
        return std::string_view::npos;
    const auto at = std::search(text.begin() + static_cast<std::ptrdiff_t>(from), text.end(), what.begin(),
                                what.end(), [](char x, char y) { return UpperAscii(x) == UpperAscii(y); });
    return at == text.end() && !what.empty() ? std::string_view::npos
                                             : static_cast<std::size_t>(at - text.begin());
}

std::string ReplaceAllNoCase(std::string_view text, std::string_view from, std::string_view to) {
    std::string result;
    result.reserve(text.size());
    std::size_t done = 0;
    for (std::size_t at = FindNoCase(text, from); at != std::string_view::npos;
         at = FindNoCase(text, from, done)) {
        result.append(text.substr(done, at - done)).append(to);
        done = at + from.size();
    }
    return result.append(text.substr(done));
}

std::string_view Trimmed(std::string_view text) {
    auto blank = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

} // namespace miran::paint
