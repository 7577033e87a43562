// What the window manager sees of the windows, on an X server of their own (Xvfb).
#include "TDebug.h"
#include "TMain.h"
#include "TMsgBox.h"
#include "WindowTestSupport.h"
#include "X11WindowProbe.h"
#include "hid/VirtualHidPlatform.h"
#include "window/ReleaseCopy.h"

#include <QApplication>
#include <QProcess>
#include <QStandardPaths>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

using namespace miran;

namespace {

pid_t xvfbPid = -1;
std::string noServerReason; // why the tests cannot run, empty when the X server is up

// Starts Xvfb on a free display and waits for it to name the display; returns the reason on failure.
std::string StartXvfb() {
    int ready[2];
    if (pipe(ready) != 0)
        return std::string("pipe: ") + std::strerror(errno);
    xvfbPid = fork();
    if (xvfbPid == 0) {
        close(ready[0]);
        prctl(PR_SET_PDEATHSIG, SIGTERM); // a crashed test leaves no server behind
        const std::string fd = std::to_string(ready[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", "-screen", "0", "1920x1080x24",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    close(ready[1]);
    std::string display;
    char c;
    while (read(ready[0], &c, 1) == 1 && c != '\n')
        display += c;
    close(ready[0]);
    if (display.empty())
        return "Xvfb could not be started (is the package xvfb installed?)";
    setenv("DISPLAY", (":" + display).c_str(), 1);
    return {};
}

// The properties as xprop prints them.
std::string Xprop(const QWidget& window, const QStringList& properties) {
    QProcess xprop;
    xprop.start("xprop", QStringList{"-id", QString::number(window.winId())} + properties);
    if (!xprop.waitForFinished() || xprop.exitCode() != 0)
        return "xprop failed: " + xprop.errorString().toStdString();
    return xprop.readAllStandardOutput().toStdString();
}

// Waits until the X server has handled everything Qt sent it.
void SyncWithServer() {
    QApplication::processEvents();
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11->connection();
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
}

class X11WindowTest : public app::testing::PrivateConfigTest {
protected:
    void SetUp() override {
        if (!noServerReason.empty())
            GTEST_SKIP() << noServerReason;
        if (QStandardPaths::findExecutable("xprop").isEmpty())
            GTEST_SKIP() << "xprop is not installed (package x11-utils)";
        PrivateConfigTest::SetUp();
    }

    app::MainEnvironment Environment() {
        return {std::make_shared<hid::VirtualHidPlatform>(),
                {},
                "/nonexistent/miran-isp-up",
                [] { return false; },
                [](std::chrono::milliseconds) {},
                ""};
    }
};

// Each window carries its own caption; the main window's is also its task bar text.
TEST_F(X11WindowTest, CaptionsAsTheWindowManagerSeesThem) {
    app::TMain main(Environment());
    app::TDebug debug;
    app::TMsgBox msgBox;
    main.show();
    debug.show();
    msgBox.show();
    SyncWithServer();

    const std::string title = "\"MIRAN POLY-MCU Bios-Update v1.9.0\"";
    const std::string mainNames = Xprop(main, {"_NET_WM_NAME", "_NET_WM_ICON_NAME"});
    EXPECT_NE(mainNames.find("_NET_WM_NAME(UTF8_STRING) = " + title + "\n"), std::string::npos) << mainNames;
    EXPECT_NE(mainNames.find("_NET_WM_ICON_NAME(UTF8_STRING) = " + title + "\n"), std::string::npos)
        << mainNames;
    EXPECT_EQ(Xprop(debug, {"_NET_WM_NAME"}), "_NET_WM_NAME(UTF8_STRING) = \"Debug\"\n");
    EXPECT_EQ(Xprop(msgBox, {"_NET_WM_NAME"}), "_NET_WM_NAME(UTF8_STRING) = \"MsgBox\"\n");
}

// The layout places the debug window's frame, so the window manager is told that the position includes it.
TEST_F(X11WindowTest, DebugFrameIsPlacedWhereTheLayoutSays) {
    app::TDebug debug;
    debug.show();
    SyncWithServer();
    const std::string hints = Xprop(debug, {"WM_NORMAL_HINTS"});
    EXPECT_NE(hints.find("location: 1165, 59\n"), std::string::npos) << hints;
    EXPECT_NE(hints.find("size: 586 by 527\n"), std::string::npos) << hints;
    EXPECT_NE(hints.find("window gravity: NorthWest\n"), std::string::npos) << hints;
}

// A window of another client with the given WM_CLASS, as the builder's window would be.
class ForeignWindow {
public:
    explicit ForeignWindow(const std::string& instanceAndClass) : connection_(xcb_connect(nullptr, nullptr)) {
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
        window_ = xcb_generate_id(connection_);
        xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window_, screen->root, 0, 0, 10, 10, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
        xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window_, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING,
                            8, instanceAndClass.size(), instanceAndClass.data());
        std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
    }
    ~ForeignWindow() {
        xcb_destroy_window(connection_, window_);
        std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
        xcb_disconnect(connection_);
    }

private:
    xcb_connection_t* connection_;
    xcb_window_t window_;
};

TEST_F(X11WindowTest, BuilderWindowClassIgnoresCase) {
    struct Case {
        std::string wmClass;
        bool found;
    } cases[] = {
        {std::string("builder\0TAPPBUILDER\0", 20), true},
        {std::string("builder\0TAppBuilder\0", 20), true},
        {std::string("builder\0tappbuilder\0", 20), true},
        {std::string("TAPPBUILDER\0Other\0", 18), false},
        {std::string("builder\0TAPPBUILDERS\0", 21), false},
    };
    for (const Case& c : cases) {
        ForeignWindow window(c.wmClass);
        EXPECT_EQ(app::X11WindowClassExists(window::kBuilderWindowClass), c.found) << c.wmClass.c_str() + 8;
    }
}

} // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests needs no X server.
    noServerReason = GTEST_FLAG_GET(list_tests) ? "listing only" : StartXvfb();
    setenv("QT_QPA_PLATFORM", noServerReason.empty() ? "xcb" : "offscreen", 1);
    // The server has no session bus; asked for one, the bus library would try to launch one for the display.
    setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/session-bus", 1);
    int result;
    {
        QApplication application(argc, argv);
        result = RUN_ALL_TESTS();
    }
    if (xvfbPid > 0) {
        kill(xvfbPid, SIGTERM);
        waitpid(xvfbPid, nullptr, 0);
    }
    return result;
}
