#pragma once

// The placement storage names its constants as the system's macros are named (SW_HIDE, ...): its header goes
// first, so that the macros do not rename them.
#include "settings/PlacementWindow.h"
#include "win32/Windows.h"
