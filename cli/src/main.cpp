#include "cli/Cli.h"

#include <iostream>
#include <thread>
#include <unistd.h>

int main(int argc, char** argv) {
    miran::cli::Environment env{std::cout, std::cerr, isatty(STDERR_FILENO) == 1,
                                [](std::chrono::milliseconds d) { std::this_thread::sleep_for(d); }};
    return miran::cli::RunCli(std::vector<std::string>(argv + 1, argv + argc), env);
}
