#pragma once

namespace miran::app {

// Makes the window's Windows font names resolve: Tahoma from the Wine font files when they are installed,
// "MS Sans Serif" drawn with Tahoma.
void InstallFonts();

} // namespace miran::app
