#pragma once

#include <filesystem>

namespace miran::window {
class MainWindow;
}

namespace miran::window::testing {

// Hands the behaviour one device notification the system has pending: on Linux a readable descriptor, on
// Windows a message in the thread's queue whose window calls the controller back by itself. False when
// nothing is pending.
bool RunPendingNotification(MainWindow& behaviour, int fd, bool watched);

// The folder the ini storage takes as the user's, private to the test where the system lets it be moved
// (below home on Linux; the roaming application-data folder itself on Windows).
std::filesystem::path UseConfigFolder(const std::filesystem::path& home);

} // namespace miran::window::testing
