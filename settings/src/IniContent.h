#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace miran::settings {

// The whole ini file in memory: sections in order, each with its lines in order. Section and key
// lookups ignore case.
class TIniContent {
public:
    // Lines are trimmed; empty lines, ";" comments and lines before the first section are dropped;
    // "name = value" becomes "name=value". Accepts CR LF, LF or CR line ends and skips a UTF-8
    // byte-order mark.
    static TIniContent Parse(std::string_view text);

    // Every line ends with CR LF; each section is followed by one empty line.
    std::string Text() const;

    std::optional<std::string_view> FindValue(std::string_view section, std::string_view key) const;
    // Replaces the key's line in place, or appends it (and the section) at the end.
    void WriteValue(std::string_view section, std::string_view key, std::string_view value);
    bool RemoveValue(std::string_view section, std::string_view key);
    bool RemoveSection(std::string_view section);

private:
    struct TSection {
        std::string name;
        std::vector<std::string> lines;
    };

    TSection* FindSection(std::string_view name);
    const TSection* FindSection(std::string_view name) const;
    static std::vector<std::string>::const_iterator FindLine(const TSection& section, std::string_view key);

    std::vector<TSection> sections_;
};

} // namespace miran::settings
