#include "PerSystem.h"
#include "cli/Cli.h"

#include <cstdio>
#include <exception>
#include <iostream>
#include <thread>
#include <unistd.h>

int main(int argc, char** argv) {
    // The last resort: whatever escapes is reported, never an abort.
    try {
        miran::cli::PrepareStandardStreams();
        miran::cli::Environment env{std::cout, std::cerr, isatty(STDERR_FILENO) == 1,
                                    [](std::chrono::milliseconds d) { std::this_thread::sleep_for(d); }};
        return miran::cli::RunCli(std::vector<std::string>(argv + 1, argv + argc), env);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "miran-isp-up-cli: unexpected error: %s\n", error.what());
    } catch (...) {
        std::fprintf(stderr, "miran-isp-up-cli: unexpected error\n");
    }
    return miran::cli::kExitUnexpected;
}
