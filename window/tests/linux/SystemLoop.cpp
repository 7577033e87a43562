#include "SystemLoop.h"

#include "window/MainWindow.h"

#include <cstdlib>
#include <poll.h>

namespace miran::window::testing {

bool RunPendingNotification(MainWindow& behaviour, int fd, bool watched) {
    pollfd readable{fd, POLLIN, 0};
    if (fd < 0 || !watched || ::poll(&readable, 1, 0) <= 0)
        return false;
    behaviour.OnNotification();
    return true;
}

std::filesystem::path UseConfigFolder(const std::filesystem::path& home) {
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    return home / "config";
}

} // namespace miran::window::testing
