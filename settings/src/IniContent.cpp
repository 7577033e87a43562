#include "IniContent.h"

#include "Text.h"

#include <algorithm>

namespace miran::settings {

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// Name part of a line: the text before its first "="; lines without one have no name.
std::optional<std::string_view> LineName(std::string_view line) {
    const auto equals = line.find('=');
    if (equals == std::string_view::npos)
        return std::nullopt;
    return line.substr(0, equals);
}

std::string_view NextLine(std::string_view& text) {
    const auto end = text.find_first_of("\r\n");
    const auto line = text.substr(0, end);
    if (end == std::string_view::npos) {
        text = {};
    } else {
        const bool crLf = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n';
        text.remove_prefix(end + (crLf ? 2 : 1));
    }
    return line;
}

std::string NormalizeLine(std::string_view line) {
    const auto equals = line.find('=');
    if (equals == std::string_view::npos)
        return std::string{line};
    std::string result{Trim(line.substr(0, equals))};
    result += '=';
    result += Trim(line.substr(equals + 1));
    return result;
}

} // namespace

TIniContent TIniContent::Parse(std::string_view text) {
    // Editors save UTF-8 with a byte-order mark; left in place it hides the first section header.
    if (text.starts_with(kUtf8ByteOrderMark))
        text.remove_prefix(kUtf8ByteOrderMark.size());
    TIniContent content;
    TSection* current = nullptr;
    while (!text.empty()) {
        const auto line = Trim(NextLine(text));
        if (line.empty() || line.front() == ';')
            continue;
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            const auto name = Trim(line.substr(1, line.size() - 2));
            current = content.FindSection(name);
            if (current == nullptr)
                current = &content.sections_.emplace_back(TSection{std::string{name}, {}});
            continue;
        }
        if (current != nullptr)
            current->lines.push_back(NormalizeLine(line));
    }
    return content;
}

std::string TIniContent::Text() const {
    std::string text;
    for (const auto& section : sections_) {
        text += '[';
        text += section.name;
        text += ']';
        text += kLineEnd;
        for (const auto& line : section.lines) {
            text += line;
            text += kLineEnd;
        }
        text += kLineEnd;
    }
    return text;
}

std::optional<std::string_view> TIniContent::FindValue(std::string_view section, std::string_view key) const {
    const auto* found = FindSection(section);
    if (found == nullptr)
        return std::nullopt;
    const auto line = FindLine(*found, key);
    if (line == found->lines.end())
        return std::nullopt;
    return std::string_view{*line}.substr(line->find('=') + 1);
}

void TIniContent::WriteValue(std::string_view section, std::string_view key, std::string_view value) {
    auto* target = FindSection(section);
    if (target == nullptr)
        target = &sections_.emplace_back(TSection{std::string{section}, {}});
    std::string line{key};
    line += '=';
    line += value;
    const auto existing = FindLine(*target, key);
    if (existing == target->lines.end())
        target->lines.push_back(std::move(line));
    else
        target->lines[existing - target->lines.begin()] = std::move(line);
}

bool TIniContent::RemoveValue(std::string_view section, std::string_view key) {
    auto* target = FindSection(section);
    if (target == nullptr)
        return false;
    const auto line = FindLine(*target, key);
    if (line == target->lines.end())
        return false;
    target->lines.erase(line);
    return true;
}

bool TIniContent::RemoveSection(std::string_view section) {
    return std::erase_if(sections_, [&](const TSection& s) { return SameText(s.name, section); }) > 0;
}

TIniContent::TSection* TIniContent::FindSection(std::string_view name) {
    const auto found = std::find_if(sections_.begin(), sections_.end(),
                                    [&](const TSection& s) { return SameText(s.name, name); });
    return found == sections_.end() ? nullptr : &*found;
}

const TIniContent::TSection* TIniContent::FindSection(std::string_view name) const {
    return const_cast<TIniContent*>(this)->FindSection(name);
}

std::vector<std::string>::const_iterator TIniContent::FindLine(const TSection& section,
                                                               std::string_view key) {
    return std::find_if(section.lines.begin(), section.lines.end(), [&](const std::string& line) {
        const auto name = LineName(line);
        return name && SameText(*name, key);
    });
}

} // namespace miran::settings
