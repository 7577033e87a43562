// sysfs text as the scan reads it: a hidraw class folder whose nodes (named from the input) lead to one HID
// device under a USB device, with every attribute file taken from the input.
#include "SysfsHidraw.h"

#include <filesystem>
#include <fstream>
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

void WriteFile(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// A name that the folder can hold as one entry.
std::string EntryName(std::string name) {
    std::erase_if(name, [](char c) { return c == '/' || c == '\0'; });
    return name.empty() || name == "." || name == ".." ? "hidraw0" : name;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace miran::hid::linux_backend;
    FuzzedDataProvider input(data, size);
    const fs::path root = fs::temp_directory_path() / ("sysfs-" + std::to_string(::getpid()));
    fs::remove_all(root);

    const fs::path usbDevice = root / "sys/devices/pci0000:00/usb1/1-1";
    const fs::path hidDevice = usbDevice / "1-1:1.0/0003:16C0:2AA8.0001";
    const fs::path hidraw = root / "sys/class/hidraw";
    fs::create_directories(hidDevice);
    fs::create_directories(hidraw);
    const int nodes = input.ConsumeIntegralInRange(1, 3);
    for (int i = 0; i < nodes; ++i) {
        const fs::path node = hidraw / EntryName(input.ConsumeRandomLengthString(32));
        fs::create_directories(node);
        WriteFile(node / "uevent", input.ConsumeRandomLengthString(128));
        std::error_code exists;
        fs::create_directory_symlink(hidDevice, node / "device", exists);
    }
    WriteFile(hidDevice / "uevent", input.ConsumeRandomLengthString(256));
    WriteFile(usbDevice / "bcdDevice", input.ConsumeRandomLengthString(16));
    WriteFile(hidDevice / "report_descriptor", input.ConsumeRemainingBytesAsString());

    const HidrawRoots roots{root / "sys", root / "dev"};
    if (HidrawClassExists(roots))
        ReadHidrawClass(roots);
    fs::remove_all(root);
    return 0;
}
