#include "CliTestSupport.h"

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using miran::cli::test_support::Lines;

namespace {

const std::string kClosingCommand = "Set 2 8 02 01 05 00 00 00 00 00";

// The command line as a process with --simulate and --trace, its stdout and stderr on pipes.
class CliProcess {
public:
    explicit CliProcess(std::vector<std::string> args, bool closeStdout = false) {
        int out[2];
        int err[2];
        EXPECT_EQ(pipe2(out, O_CLOEXEC), 0);
        EXPECT_EQ(pipe2(err, O_CLOEXEC), 0);
        if (closeStdout) {
            close(out[0]); // like `| head -n 0`: every write to stdout fails with EPIPE
            out[0] = -1;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
        args.insert(args.begin(), {MIRAN_CLI_BINARY, "--simulate", "--trace"});
        std::vector<char*> argv;
        for (std::string& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        EXPECT_EQ(posix_spawn(&pid_, MIRAN_CLI_BINARY, &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        close(err[1]);
        out_ = out[0] >= 0 ? fdopen(out[0], "r") : nullptr;
        err_ = fdopen(err[0], "r");
    }

    ~CliProcess() {
        if (out_)
            fclose(out_);
        fclose(err_);
    }

    // The next stderr line; false at the end.
    bool ReadErrLine(std::string& line) { return ReadLine(err_, line); }

    void Signal(int signal) { kill(pid_, signal); }

    // Reads what is left and waits for the end; the exit status as waitpid gives it.
    int Finish() {
        for (std::string line; ReadLine(err_, line);)
            errLines.push_back(line);
        for (std::string line; out_ && ReadLine(out_, line);)
            outLines.push_back(line);
        int status = 0;
        waitpid(pid_, &status, 0);
        return status;
    }

    std::vector<std::string> errLines;
    std::vector<std::string> outLines;

private:
    static bool ReadLine(FILE* file, std::string& line) {
        char* text = nullptr;
        std::size_t size = 0;
        const ssize_t got = getline(&text, &size, file);
        if (got > 0)
            line.assign(text, text[got - 1] == '\n' ? got - 1 : got);
        free(text);
        return got > 0;
    }

    pid_t pid_ = -1;
    FILE* out_ = nullptr;
    FILE* err_ = nullptr;
};

int Count(const std::vector<std::string>& lines, const std::string& prefix) {
    int count = 0;
    for (const std::string& line : lines)
        count += line.rfind(prefix, 0) == 0;
    return count;
}

TEST(CliProcess, ClosedStdoutLetsTheUpdateEnd) {
    CliProcess cli({"--json", "update"}, true);
    const int status = cli.Finish();
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(Count(cli.errLines, kClosingCommand), 1);
}

TEST(CliProcess, SignalDuringTheUploadLetsItEnd) {
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        CliProcess cli({"update"});
        std::string line;
        for (int transfer = 0; transfer < 30 && cli.ReadErrLine(line);)
            transfer += line.rfind("Set ", 0) == 0 || line.rfind("Get ", 0) == 0;
        cli.Signal(signal);
        const int status = cli.Finish();
        ASSERT_TRUE(WIFEXITED(status)) << strsignal(signal) << " ended it";
        EXPECT_EQ(WEXITSTATUS(status), 130) << strsignal(signal);
        EXPECT_EQ(Count(cli.errLines, kClosingCommand), 1) << strsignal(signal);
        EXPECT_EQ(Count(cli.errLines, "Interrupted"), 1) << strsignal(signal);
        EXPECT_EQ(cli.outLines, std::vector<std::string>{"PM0000000001: OK"}) << strsignal(signal);
    }
}

} // namespace
