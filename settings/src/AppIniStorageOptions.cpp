#include "settings/AppIniStorageOptions.h"

#include "Text.h"

#include <algorithm>
#include <string_view>
#include <vector>

namespace miran::settings {

namespace {

std::vector<std::string_view> Words(std::string_view list) {
    std::vector<std::string_view> words;
    for (;;) {
        const auto comma = list.find(',');
        words.push_back(Trim(list.substr(0, comma)));
        if (comma == std::string_view::npos)
            return words;
        list.remove_prefix(comma + 1);
    }
}

bool IsOneOf(std::string_view text, std::string_view list) {
    const auto words = Words(list);
    return std::any_of(words.begin(), words.end(),
                       [&](std::string_view word) { return !word.empty() && SameText(word, text); });
}

} // namespace

void TAppIniStorageOptions::SetBooleanStringTrueValues(const std::string& words) {
    trueValues_ = words;
    if (TrueWord().empty())
        booleanAsString_ = false;
}

void TAppIniStorageOptions::SetBooleanStringFalseValues(const std::string& words) {
    falseValues_ = words;
    if (FalseWord().empty())
        booleanAsString_ = false;
}

void TAppIniStorageOptions::SetBooleanAsString(bool value) {
    booleanAsString_ = value && !TrueWord().empty() && !FalseWord().empty();
}

std::string TAppIniStorageOptions::TrueWord() const {
    return std::string{Words(trueValues_).front()};
}

std::string TAppIniStorageOptions::FalseWord() const {
    return std::string{Words(falseValues_).front()};
}

bool TAppIniStorageOptions::IsTrueWord(const std::string& text) const {
    return IsOneOf(text, trueValues_);
}

bool TAppIniStorageOptions::IsFalseWord(const std::string& text) const {
    return IsOneOf(text, falseValues_);
}

} // namespace miran::settings
