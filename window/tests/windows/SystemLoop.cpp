#include "SystemLoop.h"

#include <shlobj.h>
#include <windows.h>

namespace miran::window::testing {

bool RunPendingNotification(MainWindow& /*behaviour*/, int /*fd*/, bool /*watched*/) {
    MSG message;
    if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        return false;
    TranslateMessage(&message);
    DispatchMessageW(&message);
    return true;
}

std::filesystem::path UseConfigFolder(const std::filesystem::path& /*home*/) {
    wchar_t folder[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder);
    return folder;
}

} // namespace miran::window::testing
