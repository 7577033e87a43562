#include "CliTestSupport.h"
#include "cli/Cli.h"
#include "hid/VirtualHidPlatform.h"
#include "sim/SimulatedBus.h"
#include "sim/SimulationFile.h"

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <future>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <set>
#include <streambuf>
#include <thread>
#include <unistd.h>

using namespace miran;
using namespace miran::cli;
using miran::cli::test_support::Lines;
using nlohmann::json;

namespace {

constexpr int kIdentificationTransfers = 14;
constexpr int kUpdateTransfers = 72;
constexpr int kVerifiedUpdateTransfers = kUpdateTransfers + kIdentificationTransfers;
const std::string kNotice =
    "Interrupted: the update under way runs to its end first, nothing further is started";
const std::string kNotStarted = "Interrupted: the update was not started";

// An output the test can cut like a terminal that went away or `| head -n 1`: a pipe whose read end it
// closes. Nobody reads while the command line runs, so the pipe holds a whole transfer trace.
class Pipe {
public:
    Pipe() {
        EXPECT_EQ(pipe2(fds_, O_CLOEXEC), 0);
        EXPECT_GE(fcntl(fds_[1], F_SETPIPE_SZ, 1 << 20), 1 << 20);
    }
    ~Pipe() {
        CloseReader();
        CloseWriter();
    }
    int Writer() const { return fds_[1]; }
    void CloseReader() { Close(fds_[0]); }
    void CloseWriter() { Close(fds_[1]); }
    // What was written, once the writer is closed; empty when the reader was closed.
    std::string Contents() {
        CloseWriter();
        std::string text;
        char chunk[4096];
        for (ssize_t got; fds_[0] >= 0 && (got = read(fds_[0], chunk, sizeof chunk)) > 0;)
            text.append(chunk, static_cast<std::size_t>(got));
        return text;
    }

private:
    static void Close(int& fd) {
        if (fd >= 0)
            close(fd);
        fd = -1;
    }
    int fds_[2] = {-1, -1};
};

// Writes straight to a descriptor; a failed write fails the stream, as std::cout does on EPIPE.
class DescriptorBuffer : public std::streambuf {
public:
    explicit DescriptorBuffer(int fd) : fd_(fd) {}

protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof()))
            return traits_type::not_eof(c);
        const char ch = traits_type::to_char_type(c);
        return xsputn(&ch, 1) == 1 ? c : traits_type::eof();
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        std::streamsize done = 0;
        for (ssize_t written; done < n && (written = write(fd_, s + done, n - done)) > 0;)
            done += written;
        return done;
    }

private:
    int fd_;
};

// One run of the command line entry over virtual programmers that the test holds, with pipes for stdout and
// stderr.
struct Rig {
    std::shared_ptr<sim::VirtualProgrammer> Plug(int index) {
        return bus.PlugProgrammer(sim::DefaultProgrammer(index));
    }

    int Run(const std::vector<std::string>& args) {
        DescriptorBuffer outBuffer(out.Writer());
        DescriptorBuffer errBuffer(err.Writer());
        std::ostream outStream(&outBuffer);
        std::ostream errStream(&errBuffer);
        Environment env{outStream, errStream, false, [](std::chrono::milliseconds) {}, platform};
        const int code = RunCli(args, env);
        outText = out.Contents();
        errText = err.Contents();
        return code;
    }

    // stderr without the transfer trace.
    std::vector<std::string> Messages() const {
        std::vector<std::string> messages;
        for (const std::string& line : Lines(errText)) {
            if (line.rfind("Set ", 0) != 0 && line.rfind("Get ", 0) != 0)
                messages.push_back(line);
        }
        return messages;
    }

    std::shared_ptr<hid::VirtualHidPlatform> platform = std::make_shared<hid::VirtualHidPlatform>();
    sim::SimulatedBus bus{platform};
    Pipe out;
    Pipe err;
    std::string outText;
    std::string errText;
};

// The programmer got the whole image and the closing command (it rebooted into the new Bios).
void ExpectUpdated(const sim::VirtualProgrammer& programmer, int transfers, const std::string& where) {
    EXPECT_EQ(programmer.RebootCount(), 1) << where;
    ASSERT_GE(programmer.InstalledBios().size(), 15u) << where;
    EXPECT_EQ(programmer.InstalledBios()[12], 1) << where;
    EXPECT_EQ(programmer.InstalledBios()[13], 9) << where;
    EXPECT_EQ(programmer.TransferCount(), transfers) << where;
}

// Identified and left alone: nothing written, no closing command.
void ExpectUntouched(const sim::VirtualProgrammer& programmer, const std::string& where) {
    EXPECT_EQ(programmer.TransferCount(), kIdentificationTransfers) << where;
    EXPECT_EQ(programmer.RebootCount(), 0) << where;
    EXPECT_EQ(programmer.InstalledBios()[13], 8) << where;
}

// Sends the signal to the process once the command line has taken it over.
void SignalWhenHandled(int signal) {
    for (;;) {
        struct sigaction current {};
        sigaction(signal, nullptr, &current);
        if (current.sa_handler != SIG_DFL)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    kill(getpid(), signal);
}

// Every transfer of `update --verify`: identification, upload, and identification after the reboot.
TEST(CliInterrupt, SignalAtAnyTransferLetsTheUpdateEnd) {
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        for (int transfer = 1; transfer <= kVerifiedUpdateTransfers; ++transfer) {
            const std::string where =
                strsignal(signal) + std::string(" at transfer ") + std::to_string(transfer);
            Rig rig;
            auto programmer = rig.Plug(0);
            programmer->onTransfer = [&](int n) {
                if (n == transfer)
                    raise(signal);
            };
            EXPECT_EQ(rig.Run({"update", "--verify", "--json", "--trace"}), kExitInterrupted) << where;
            const json last = json::parse(Lines(rig.outText).back());
            EXPECT_EQ(last["exit_code"], kExitInterrupted) << where;
            if (transfer <= kIdentificationTransfers) {
                ExpectUntouched(*programmer, where);
                EXPECT_EQ(rig.Messages(), std::vector<std::string>{kNotStarted}) << where;
            } else {
                // Waiting for the reboot ends at once; a verification under way ends.
                const bool verifying = transfer > kUpdateTransfers;
                ExpectUpdated(*programmer, verifying ? kVerifiedUpdateTransfers : kUpdateTransfers, where);
                ASSERT_EQ(rig.Messages().size(), 1u) << where;
                EXPECT_EQ(rig.Messages()[0].rfind("Interrupted", 0), 0u) << where;
                const auto lines = Lines(rig.outText);
                const json result = json::parse(lines[lines.size() - 2]);
                EXPECT_EQ(result["message"], "OK") << where;
                EXPECT_EQ(result["verified"], verifying) << where;
            }
        }
    }
}

TEST(CliInterrupt, ClosedOutputAtAnyTransferLetsTheUpdateEnd) {
    for (const char* stream : {"stdout", "stderr"}) {
        for (int transfer = 1; transfer <= kVerifiedUpdateTransfers; ++transfer) {
            const std::string where = stream + std::string(" closed at transfer ") + std::to_string(transfer);
            Rig rig;
            auto programmer = rig.Plug(0);
            Pipe& closed = std::string(stream) == "stdout" ? rig.out : rig.err;
            programmer->onTransfer = [&](int n) {
                if (n == transfer)
                    closed.CloseReader();
            };
            EXPECT_EQ(rig.Run({"update", "--verify", "--json", "--trace"}), kExitOk) << where;
            ExpectUpdated(*programmer, kVerifiedUpdateTransfers, where);
        }
    }
}

TEST(CliInterrupt, FailedUploadKeepsItsCode) {
    Rig rig;
    sim::ProgrammerConfig failing = sim::DefaultProgrammer(0);
    failing.failTransfer = 30;
    auto programmer = rig.bus.PlugProgrammer(failing);
    programmer->onTransfer = [](int n) {
        if (n == 20)
            raise(SIGINT);
    };
    EXPECT_EQ(rig.Run({"update"}), kExitUploadFailed);
    EXPECT_EQ(programmer->RebootCount(), 0);
    EXPECT_EQ(programmer->TransferCount(), 30);
    EXPECT_EQ(rig.Messages(), (std::vector<std::string>{kNotice, "Biosflash Program Error"}));
}

// Programmers whose upload has not started when the signal comes are skipped and reported; the one under
// way ends.
TEST(CliInterrupt, UpdateAllSkipsWhatHasNotStarted) {
    Rig rig;
    auto first = rig.Plug(0);
    auto second = rig.Plug(1);
    auto third = rig.Plug(2);
    std::promise<void> signalled;
    std::shared_future<void> released = signalled.get_future().share();
    first->onTransfer = [&](int n) {
        if (n == 20) {
            raise(SIGINT);
            signalled.set_value();
        }
    };
    second->onTransfer = third->onTransfer = [released](int n) {
        if (n == 1)
            released.wait();
    };
    EXPECT_EQ(rig.Run({"update", "--all"}), kExitInterrupted);
    ExpectUpdated(*first, kUpdateTransfers, "first");
    ExpectUntouched(*second, "second");
    ExpectUntouched(*third, "third");
    EXPECT_EQ(rig.outText, "PM0000000001: OK\n");
    std::multiset<std::string> interrupted;
    for (const std::string& line : Lines(rig.errText)) {
        if (line.find("Interrupted") != std::string::npos)
            interrupted.insert(line);
    }
    EXPECT_EQ(interrupted, (std::multiset<std::string>{kNotice, "PM0000000002: " + kNotStarted,
                                                       "PM0000000003: " + kNotStarted}));
}

// The watch ends at a signal, but only once the upload under way has ended. A programmer whose upload has not
// started is reported, one plugged in meanwhile is not started, and the one updated is not waited for.
TEST(CliInterrupt, WatchLetsTheUploadUnderWayEnd) {
    Rig rig;
    auto first = rig.Plug(0);
    auto second = rig.Plug(1);
    std::shared_ptr<sim::VirtualProgrammer> third;
    std::promise<void> signalled;
    std::shared_future<void> released = signalled.get_future().share();
    first->onTransfer = [&](int n) {
        if (n == 10)
            third = rig.Plug(2);
        if (n == 20) {
            raise(SIGINT);
            signalled.set_value();
        }
    };
    second->onTransfer = [released](int n) {
        if (n == 1)
            released.wait();
    };
    EXPECT_EQ(rig.Run({"update", "--watch"}), kExitInterrupted);
    ExpectUpdated(*first, kUpdateTransfers, "first");
    ExpectUntouched(*second, "second");
    ASSERT_TRUE(third);
    EXPECT_EQ(third->TransferCount(), 0);
    EXPECT_EQ(rig.Messages(),
              (std::vector<std::string>{"PM0000000001: plugged in", "PM0000000002: plugged in", kNotice,
                                        "PM0000000001: updated (OK)",
                                        "PM0000000002: interrupted (" + kNotStarted + ")",
                                        "Summary: 1 updated, 0 verified, 0 skipped, 0 failed"}));
    EXPECT_EQ(rig.outText, "");
}

TEST(CliInterrupt, SignalWhileWaitingForAProgrammerEndsAtOnce) {
    for (const std::string command : {"list", "info", "update"}) {
        Rig rig;
        std::jthread sender([] { SignalWhenHandled(SIGTERM); });
        EXPECT_EQ(rig.Run({command, "--wait", "3600"}), kExitInterrupted) << command;
        EXPECT_EQ(rig.errText, "Interrupted\n") << command;
    }
}

TEST(CliInterrupt, SignalWhileWaitingForTheRebootEndsAtOnce) {
    Rig rig;
    auto programmer = rig.Plug(0);
    std::promise<void> rebooted;
    programmer->onReboot = [&] {
        rig.bus.Unplug(*programmer); // and never back
        rebooted.set_value();
    };
    std::jthread sender([done = rebooted.get_future()] {
        done.wait();
        kill(getpid(), SIGINT);
    });
    EXPECT_EQ(rig.Run({"update", "--verify", "--verify-timeout", "3600"}), kExitInterrupted);
    EXPECT_EQ(programmer->RebootCount(), 1);
    EXPECT_EQ(rig.outText, "PM0000000001: OK\n");
    EXPECT_EQ(rig.errText, "Interrupted\n");
}

} // namespace
