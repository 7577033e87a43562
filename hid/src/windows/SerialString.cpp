#include "SerialString.h"

#include <algorithm>

namespace miran::hid::windows_backend {

namespace {

// How many units of the language list were written: up to its last unit that is not the fill, without that
// unit when it is the terminating NUL.
std::size_t WrittenLanguageUnits(const StringUnits& languages) {
    for (std::size_t i = kStringUnits; i-- > 0;) {
        if (languages[i] == 0xFFFF)
            continue;
        return languages[i] == 0 ? i : i + 1;
    }
    return 0;
}

} // namespace

std::u16string UsableSerial(const StringUnits& serial, const StringUnits& languages) {
    const std::size_t n = WrittenLanguageUnits(languages);
    if (n == 0 || std::equal(serial.begin(), serial.begin() + n, languages.begin()))
        return {};
    const auto end = std::find(serial.begin(), serial.end(), u'\0');
    return std::u16string(serial.begin(), end);
}

} // namespace miran::hid::windows_backend
