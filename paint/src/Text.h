#pragma once

#include <string>
#include <string_view>

namespace miran::paint {

// Texts are UTF-8; tags, entities, colour names and numbers are ASCII, so letter case is folded
// for ASCII letters only.
char UpperAscii(char c);
std::string UpperAscii(std::string_view text);
bool EqualsNoCase(std::string_view a, std::string_view b);
// Where what first occurs in text at or after from, ignoring case; npos if nowhere.
std::size_t FindNoCase(std::string_view text, std::string_view what, std::size_t from = 0);
std::string ReplaceAllNoCase(std::string_view text, std::string_view from, std::string_view to);
// Without leading and trailing white space (blanks, tabs, line and page breaks).
std::string_view Trimmed(std::string_view text);

} // namespace miran::paint
