#pragma once

// Win32's declarations for the headers of this library and their users. The macro would rename the painting
// layer's Canvas::DrawText wherever it is seen after it; Win32's function is called as DrawTextW.
#include <windows.h>
#undef DrawText
