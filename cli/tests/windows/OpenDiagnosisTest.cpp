#include "OpenDiagnosis.h"

#include "DeviceSession.h"
#include "Interruption.h"
#include "cli/Cli.h"
#include "hid/VirtualHidPlatform.h"
#include "update/Protocol.h"

#include <cerrno>
#include <gtest/gtest.h>

namespace miran::cli {
namespace {

struct RefusedOpenCase {
    const char* name;
    int error;          // what the read-write open of the programmer's node reports
    bool listed;        // whether it counts as an attached programmer at all
    const char* access; // as `list` shows it
    int code;
    const char* message;
};

class RefusedOpen : public ::testing::TestWithParam<RefusedOpenCase> {};

// Only a missing permission asks for the udev rule; a node that has gone is no programmer at all; anything
// else is told with the system's message and the node.
TEST_P(RefusedOpen, IsToldByItsCause) {
    auto platform = std::make_shared<hid::VirtualHidPlatform>();
    hid::VirtualInterface vi;
    vi.attributes = {update::kProgrammerVendorId, update::kProgrammerProductId, 0x0100};
    vi.serial = "PM0000000001";
    vi.readWriteAllowed = false;
    vi.readWriteError = GetParam().error;
    platform->Plug(vi);
    Interruption interruption;
    DeviceSession session(platform, interruption);
    session.WaitFirstScan();

    ASSERT_EQ(session.Programmers().size(), GetParam().listed ? 1u : 0u);
    if (!GetParam().listed)
        return;
    const hid::THidDevice& device = *session.Programmers().front();
    EXPECT_EQ(AccessText(device), GetParam().access);
    Failure failure = OpenFailure(device, "PM0000000001");
    EXPECT_EQ(failure.code, GetParam().code);
    EXPECT_EQ(failure.message.substr(0, failure.message.find('\n')), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Causes, RefusedOpen,
    ::testing::Values(
        RefusedOpenCase{"AccessDenied", EACCES, true, "permission denied", kExitPermission,
                        "Permission denied: programmer PM0000000001 at virtual:hidraw0 cannot be opened for "
                        "reading and writing."},
        RefusedOpenCase{"NotFound", ENOENT, false, "", 0, ""},
        RefusedOpenCase{"NotConnected", ENODEV, false, "", 0, ""},
        RefusedOpenCase{
            "OtherError", EIO, true, "Input/output error", kExitIdentifyFailed,
            "Programmer PM0000000001 at virtual:hidraw0 cannot be opened for reading and writing: "
            "Input/output error"}),
    [](const auto& paramInfo) { return paramInfo.param.name; });

// Access denied on Windows: no udev rule to install, the advice fits Windows.
TEST(RefusedOpenAdvice, FitsWindows) {
    auto platform = std::make_shared<hid::VirtualHidPlatform>();
    hid::VirtualInterface vi;
    vi.attributes = {update::kProgrammerVendorId, update::kProgrammerProductId, 0x0100};
    vi.serial = "PM0000000001";
    vi.readWriteAllowed = false;
    platform->Plug(vi);
    Interruption interruption;
    DeviceSession session(platform, interruption);
    session.WaitFirstScan();
    ASSERT_EQ(session.Programmers().size(), 1u);
    EXPECT_EQ(
        OpenFailure(*session.Programmers().front(), "PM0000000001").message,
        "Permission denied: programmer PM0000000001 at virtual:hidraw0 cannot be opened for reading and "
        "writing.\n"
        "Fix: close the other programs that use the programmer, or run from an account that may use it,\n"
        "then plug the programmer in again.");
}

} // namespace
} // namespace miran::cli
