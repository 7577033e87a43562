#include "widgets/Color.h"

#include "Pixels.h"

#include <gtest/gtest.h>

using namespace miran::widgets;

TEST(TColor, NamedColoursTheWindowUses) {
    const QPalette palette;
    EXPECT_EQ(Resolve(clGreen, palette), QColor(0, 128, 0));
    EXPECT_EQ(Resolve(clLime, palette), QColor(0, 255, 0));
    EXPECT_EQ(Resolve(clRed, palette), QColor(255, 0, 0));
    EXPECT_EQ(Resolve(clYellow, palette), QColor(255, 255, 0));
}

TEST(TColor, SystemColoursAreLookedUpWhenUsed) {
    QPalette palette;
    palette.setColor(QPalette::Button, QColor(1, 2, 3));
    palette.setColor(QPalette::Dark, QColor(4, 5, 6));
    palette.setColor(QPalette::Light, QColor(7, 8, 9));
    palette.setColor(QPalette::Shadow, QColor(10, 11, 12));
    EXPECT_EQ(Resolve(clBtnFace, palette), QColor(1, 2, 3));
    EXPECT_EQ(Resolve(clBtnShadow, palette), QColor(4, 5, 6));
    EXPECT_EQ(Resolve(clBtnHighlight, palette), QColor(7, 8, 9));
    EXPECT_EQ(Resolve(cl3DDkShadow, palette), QColor(10, 11, 12));
    EXPECT_TRUE(clBtnFace.IsSystem());
    EXPECT_FALSE(clRed.IsSystem());
}
