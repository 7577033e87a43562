// The serial field's mask: what the program sets, and what typing, pasting and erasing leave.

#include "window/SerialMask.h"

#include <gtest/gtest.h>

namespace miran::window {
namespace {

TEST(SerialMaskTest, TextTheProgramSets) {
    struct Case {
        const char* text;
        const char* shown;
    } cases[] = {
        {"", "_______________"},
        {"4711", "4711___________"},
        {"4711 00000001", "4711_00000001__"},
        {"12_456", "12_456_________"},
        {"PM-47x11", "4711___________"},
        {"12345678901234567", "123456789012345"},
    };
    for (const Case& c : cases) {
        SerialMask mask;
        mask.SetText(c.text);
        EXPECT_EQ(mask.Shown(), c.shown) << c.text;
    }
}

TEST(SerialMaskTest, Editing) {
    enum class Key { Type, Back, Delete };
    struct Case {
        const char* before;
        Key key;
        std::size_t start;
        std::size_t end;
        const char* typed;
        const char* shown;
        std::size_t caret;
    } cases[] = {
        // Typing overwrites the place at the caret; the digits behind stay where they are.
        {"1234", Key::Type, 1, 1, "9", "1934___________", 2},
        {"1234", Key::Type, 6, 6, "9", "1234__9________", 7},
        {"123456789012345", Key::Type, 15, 15, "9", "123456789012345", 15},
        {"1234", Key::Type, 1, 1, "x", "1234___________", 1},
        // Over a selection: blanked, then typed from its start.
        {"1234", Key::Type, 1, 3, "9", "19_4___________", 2},
        {"1234", Key::Type, 1, 3, "x", "1234___________", 1},
        // Pasting: the digits, one place each, as far as the places go.
        {"1234", Key::Type, 2, 2, "5-6 7", "12567__________", 5},
        {"1234", Key::Type, 13, 13, "567", "1234_________56", 15},
        // Cutting: the selection blank.
        {"1234", Key::Type, 0, 2, "", "__34___________", 0},
        // Erasing leaves a blank in place.
        {"1234", Key::Back, 2, 2, nullptr, "1_34___________", 1},
        {"1234", Key::Back, 0, 0, nullptr, "1234___________", 0},
        {"1234", Key::Back, 1, 3, nullptr, "1__4___________", 1},
        {"1234", Key::Delete, 1, 1, nullptr, "1_34___________", 1},
        {"1234", Key::Delete, 0, 4, nullptr, "_______________", 0},
        {"123456789012345", Key::Delete, 15, 15, nullptr, "123456789012345", 15},
    };
    for (const Case& c : cases) {
        SerialMask mask;
        mask.SetText(c.before);
        std::size_t caret = 0;
        switch (c.key) {
        case Key::Type:
            caret = mask.Replace(c.start, c.end, c.typed);
            break;
        case Key::Back:
            caret = mask.EraseBack(c.start, c.end);
            break;
        case Key::Delete:
            caret = mask.EraseForward(c.start, c.end);
            break;
        }
        EXPECT_EQ(mask.Shown(), c.shown) << c.before << " at " << c.start << ".." << c.end;
        EXPECT_EQ(caret, c.caret) << c.before << " at " << c.start << ".." << c.end;
    }
}

} // namespace
} // namespace miran::window
