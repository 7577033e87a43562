#pragma once

#include "paint/Bitmap.h"
#include "win32/Windows.h"

#include <filesystem>

namespace miran::win32 {

// The window as the screen shows it, frame included. Needs a display driver that keeps the pixels (Wine's
// X11 driver does; its null driver reads back white).
paint::Bitmap CaptureWindow(HWND window);
// Writes the picture as a PNG file; false when it cannot be written.
bool WritePng(const paint::Bitmap& image, const std::filesystem::path& file);

} // namespace miran::win32
