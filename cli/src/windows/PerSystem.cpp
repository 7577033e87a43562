#include "PerSystem.h"

#include <cstdio>
#include <fcntl.h>
#include <io.h>

namespace miran::cli {

// No udev here: what keeps a programmer from being opened is another program holding it, or an account
// that may not use it.
std::string PermissionFix() {
    return "Fix: close the other programs that use the programmer, or run from an account that may use it,\n"
           "then plug the programmer in again.";
}

std::string NoHidAccessNote() {
    return " (SetupApi.dll or HID.dll cannot be used on this system)";
}

int PrintUdevRules(Environment& env) {
    env.err << "miran-isp-up-cli: --print-udev-rules: udev rules are for Linux only; Windows needs none\n";
    return kExitUsage;
}

// Output bytes as on Linux, "\n" without "\r", so that traces and JSON Lines compare byte for byte; the
// console shows them the same.
void PrepareStandardStreams() {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

} // namespace miran::cli
