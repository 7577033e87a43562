#include "Options.h"

#include <charconv>
#include <set>

namespace miran::cli {

const char* const kUsage = R"(Usage: miran-isp-up-cli [global options] COMMAND [options]

Writes the Bios into MIRAN POLY-MCU programmers.

Commands:
  image-info [--image FILE] [--json]
      The firmware image: magic, version, title, info text, end address, size, blocks.
  list [--wait SECONDS] [--json]
      The attached programmers: USB serial, device node, whether it can be opened.
  info [--serial TEXT] [--wait SECONDS] [--json]
      Identifies the programmer and prints its installed Bios and serial text.
  update [--serial TEXT | --all | --watch [--log FILE]] [--if-needed] [--usb-serial DIGITS] [--image FILE]
         [--verify] [--wait SECONDS] [--json]
      Identifies the programmer and writes the image into it; --all: every attached programmer at once;
      --watch: every programmer plugged in, until interrupted.

Options:
  --serial TEXT         the programmer with this USB serial (needed when several are attached)
  --all                 update every attached programmer in parallel
  --if-needed           write nothing when the programmer runs the image's version with the serial digits
                        to be written already ("already current", exit code 0)
  --watch               until SIGINT or SIGTERM, update each programmer plugged in once (implies --all);
                        one back from its reboot is verified, never updated again; a line per programmer
                        and event on stderr, a summary at the end; exit code 0 unless one failed
  --log FILE            with --watch: append a record per programmer and outcome (time, serial, previous
                        and new version, digits written, result, duration); CSV when FILE ends in .csv,
                        else JSON Lines
  --wait SECONDS        wait up to SECONDS (decimal) for a matching programmer to be plugged in
  --usb-serial DIGITS   the serial digits put into the image (default: what identification read)
  --image FILE          use this image file instead of the one built in
  --verify              after the update, identify the programmer again and check version and serial
  --verify-timeout SECONDS
                        how long --verify waits for the programmer to come back (default 10)
  --json                JSON Lines on stdout
  --simulate[=FILE]     use virtual programmers: one with defaults, or those described in FILE; or,
                        when FILE is a recording, its devices answering as recorded
  --trace               every feature-report transfer on stderr
  --record FILE         write the HID session to FILE as JSON Lines (the devices, as they were plugged and
                        unplugged, and every feature-report transfer); --simulate=FILE replays it
  --debug               what the HID layer decided on stderr: hot-plug source, nodes skipped, failed opens
  --print-udev-rules    the udev rule that lets the logged-in user open the programmers
                        (Linux only: on Windows a usage error, exit code 2)
  --help, --version

Exit codes: 0 success, 1 unexpected error, 2 usage, 3 no matching device,
            4 identification failed, 5 upload failed, 6 verification failed,
            7 no permission to open the programmer, 130 interrupted.
            With --all the highest code of the programmers.
An upload that has started always runs to its end: SIGINT, SIGTERM and SIGHUP (on Windows Ctrl+C,
Ctrl+Break and closing the console) wait for it and start nothing further; a closed output stops only the
output.
)";

namespace {

const std::set<std::string> kCommands = {"image-info", "list", "info", "update"};

bool Allowed(const std::string& command, const std::string& option) {
    if (option == "--json")
        return true;
    if (option == "--image")
        return command == "image-info" || command == "info" || command == "update";
    if (option == "--wait")
        return command != "image-info";
    if (option == "--serial")
        return command == "info" || command == "update";
    return command ==
           "update"; // --usb-serial, --verify, --verify-timeout, --all, --if-needed, --watch, --log
}

// Decimal only, as people write seconds: digits with an optional fraction; no sign, exponent, hex or
// blanks, which the C library's conversions would take.
std::chrono::milliseconds Seconds(const std::string& option, const std::string& text) {
    const std::size_t point = text.find('.');
    const std::string whole = text.substr(0, point);
    const std::string fraction = point == std::string::npos ? "0" : text.substr(point + 1);
    auto digits = [](const std::string& part) {
        return !part.empty() && part.find_first_not_of("0123456789") == std::string::npos;
    };
    if (!digits(whole) || !digits(fraction))
        throw UsageError{option + " takes a decimal number of seconds"};
    double seconds = 0;
    const auto [end, fault] =
        std::from_chars(text.data(), text.data() + text.size(), seconds, std::chars_format::fixed);
    if (fault != std::errc() || seconds > 3600)
        throw UsageError{option + " takes 0 to 3600 seconds"};
    return std::chrono::milliseconds(static_cast<long long>(seconds * 1000));
}

} // namespace

Options ParseOptions(const std::vector<std::string>& args) {
    Options options;
    std::vector<std::string> commandOptions;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= args.size())
                throw UsageError{arg + " needs a value"};
            return args[++i];
        };
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
        } else if (arg == "--simulate") {
            options.simulate = true;
        } else if (arg.rfind("--simulate=", 0) == 0) {
            options.simulate = true;
            options.simulateFile = arg.substr(std::string("--simulate=").size());
            if (options.simulateFile->empty())
                throw UsageError{"--simulate= needs a file"};
        } else if (arg == "--record") {
            options.record = value();
        } else if (arg == "--trace" || arg == "--debug") {
            (arg == "--trace" ? options.trace : options.debug) = true;
        } else if (arg == "--json" || arg == "--verify") {
            (arg == "--json" ? options.json : options.verify) = true;
            commandOptions.push_back(arg);
        } else if (arg == "--image" || arg == "--serial" || arg == "--usb-serial") {
            std::string v = value();
            (arg == "--image" ? options.image : arg == "--serial" ? options.serial : options.usbSerial) = v;
            commandOptions.push_back(arg);
        } else if (arg == "--verify-timeout") {
            options.verifyTimeout = Seconds(arg, value());
            commandOptions.push_back(arg);
        } else if (arg == "--wait") {
            options.wait = Seconds(arg, value());
            commandOptions.push_back(arg);
        } else if (arg == "--all" || arg == "--if-needed" || arg == "--watch") {
            (arg == "--all" ? options.all : arg == "--if-needed" ? options.ifNeeded : options.watch) = true;
            commandOptions.push_back(arg);
        } else if (arg == "--log") {
            options.log = value();
            commandOptions.push_back(arg);
        } else if (arg == "--print-udev-rules") {
            options.printUdevRules = true;
        } else if (!arg.empty() && arg[0] == '-') {
            throw UsageError{"unknown option " + arg};
        } else if (options.command.empty() && kCommands.count(arg)) {
            options.command = arg;
        } else {
            throw UsageError{options.command.empty() ? "unknown command " + arg
                                                     : "unexpected argument " + arg};
        }
    }
    if (options.help || options.version || (options.printUdevRules && options.command.empty()))
        return options;
    if (options.command.empty())
        throw UsageError{"no command given"};
    for (const std::string& option : commandOptions) {
        if (!Allowed(options.command, option))
            throw UsageError{option + " does not go with " + options.command};
    }
    if (options.all && options.serial)
        throw UsageError{"--all and --serial exclude each other"};
    if (options.watch && options.serial)
        throw UsageError{"--watch and --serial exclude each other"};
    if (options.log && !options.watch)
        throw UsageError{"--log goes with --watch"};
    options.all = options.all || options.watch;
    if (options.usbSerial && options.usbSerial->find_first_not_of("0123456789") != std::string::npos)
        throw UsageError{"--usb-serial takes decimal digits only"};
    if (options.usbSerial && options.usbSerial->size() > 32)
        throw UsageError{"--usb-serial takes at most 32 digits"};
    return options;
}

} // namespace miran::cli
