#include "core/UniqueFd.h"

#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>

namespace miran {
namespace {

bool IsOpen(int fd) {
    return fcntl(fd, F_GETFD) != -1;
}

// A descriptor is closed once, by its last owner: a move hands it on, an assignment closes the one replaced.
TEST(UniqueFd, ClosesWhatItOwnsOnce) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    {
        UniqueFd reader(fds[0]);
        UniqueFd writer(fds[1]);
        UniqueFd owner(std::move(reader));
        EXPECT_EQ(owner.Get(), fds[0]);
        EXPECT_EQ(reader.Get(), -1);
        owner = std::move(writer);
        EXPECT_FALSE(IsOpen(fds[0]));
        EXPECT_TRUE(IsOpen(fds[1]));
    }
    EXPECT_FALSE(IsOpen(fds[1]));
}

// A call that failed is reported with the system's message instead of becoming a descriptor of -1.
TEST(UniqueFd, CheckedFdReportsAFailedCall) {
    try {
        CheckedFd(open("/nonexistent/miran", O_RDONLY | O_CLOEXEC), "open");
        ADD_FAILURE() << "no error";
    } catch (const std::system_error& error) {
        EXPECT_EQ(error.code().value(), ENOENT);
        EXPECT_EQ(error.what(), std::string("open: ") + std::strerror(ENOENT));
    }
}

} // namespace
} // namespace miran
