#include "settings/ValuePath.h"

#include "settings/StorageErrors.h"

#include <algorithm>
#include <vector>

namespace miran::settings {

namespace {

bool IsDotsOnly(std::string_view segment) {
    return std::all_of(segment.begin(), segment.end(), [](char c) { return c == '.'; });
}

} // namespace

std::string NormalizePath(std::string_view path) {
    std::vector<std::string_view> segments;
    while (!path.empty()) {
        const auto cut = path.find('\\');
        const auto segment = path.substr(0, cut);
        path = cut == std::string_view::npos ? std::string_view{} : path.substr(cut + 1);
        if (segment.empty())
            continue;
        if (IsDotsOnly(segment)) {
            const auto steps = std::min(segment.size() - 1, segments.size());
            segments.resize(segments.size() - steps);
            continue;
        }
        segments.push_back(segment);
    }
    std::string result;
    for (const auto segment : segments) {
        if (!result.empty())
            result += '\\';
        result += segment;
    }
    return result;
}

std::string ConcatPaths(std::string_view path, std::string_view key) {
    std::string joined{path};
    joined += '\\';
    joined += key;
    return NormalizePath(joined);
}

TSectionKey SplitSectionKey(std::string_view path, std::string_view defaultSection) {
    const auto normalized = NormalizePath(path);
    const auto cut = normalized.rfind('\\');
    TSectionKey result;
    if (cut == std::string::npos) {
        result.key = normalized;
    } else {
        result.section = normalized.substr(0, cut);
        result.key = normalized.substr(cut + 1);
    }
    if (result.section.empty() || result.section.front() == '.')
        result.section.insert(0, defaultSection);
    if (result.section.empty() || result.section.front() == '.')
        throw EAppStorageError("TAppIniFileStorage.ReadValue: Section undefined");
    return result;
}

} // namespace miran::settings
