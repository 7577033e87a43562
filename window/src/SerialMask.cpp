#include "window/SerialMask.h"

#include <algorithm>

namespace miran::window {

namespace {
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
} // namespace

void SerialMask::SetText(std::string_view text) {
    shown_.clear();
    for (char c : text) {
        if (shown_.size() == kPlaces)
            break;
        if (IsDigit(c))
            shown_ += c;
        else if (c == ' ' || c == kBlank)
            shown_ += kBlank;
    }
    shown_.resize(kPlaces, kBlank);
}

void SerialMask::Blank(std::size_t start, std::size_t end) {
    end = std::min(end, kPlaces);
    for (std::size_t i = start; i < end; ++i)
        shown_[i] = kBlank;
}

std::size_t SerialMask::Replace(std::size_t start, std::size_t end, std::string_view typed) {
    if (!typed.empty() && std::none_of(typed.begin(), typed.end(), IsDigit))
        return start;
    Blank(start, end);
    std::size_t caret = std::min(start, kPlaces);
    for (char c : typed) {
        if (caret == kPlaces)
            break;
        if (IsDigit(c))
            shown_[caret++] = c;
    }
    return caret;
}

std::size_t SerialMask::EraseBack(std::size_t start, std::size_t end) {
    if (start != end) {
        Blank(start, end);
        return start;
    }
    if (start == 0)
        return 0;
    Blank(start - 1, start);
    return start - 1;
}

std::size_t SerialMask::EraseForward(std::size_t start, std::size_t end) {
    Blank(start, start != end ? end : start + 1);
    return std::min(start, kPlaces);
}

} // namespace miran::window
