#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace miran::window {

// The serial field's mask "999999999999999;1;_": fifteen places, each a digit or a blank shown as '_'.
// Typing overwrites; erasing leaves blanks, so the digits behind never move. Front ends keep the text and
// the caret in their own control and ask this for every change.
class SerialMask {
public:
    static constexpr std::size_t kPlaces = 15;
    static constexpr char kBlank = '_';

    // The text as shown: always fifteen places.
    const std::string& Shown() const { return shown_; }

    // A text the program sets: digits and blanks (' ' or '_') fill the places from the first, anything else
    // is dropped, the rest stays blank.
    void SetText(std::string_view text);

    // Typing or pasting over the selection [start, end): it becomes blank, then each digit typed overwrites
    // the next place from start on; other characters are skipped. Typed text without a digit changes nothing
    // (empty text: the selection is cut). Returns the caret after it.
    std::size_t Replace(std::size_t start, std::size_t end, std::string_view typed);
    // Backspace: the selection becomes blank, or without one the place before the caret. Returns the caret.
    std::size_t EraseBack(std::size_t start, std::size_t end);
    // Delete: the selection becomes blank, or without one the place at the caret. Returns the caret.
    std::size_t EraseForward(std::size_t start, std::size_t end);

private:
    void Blank(std::size_t start, std::size_t end);

    std::string shown_ = std::string(kPlaces, kBlank);
};

} // namespace miran::window
