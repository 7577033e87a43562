#include "SysfsHidraw.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <system_error>

namespace miran::hid::linux_backend {

namespace fs = std::filesystem;

namespace {

constexpr const char* kUsbBus = "0003";

std::optional<std::string> ReadText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return std::nullopt;
    // A device that goes away while its attributes are read fails the read with ENODEV, which the stream
    // buffer throws through the iterator.
    try {
        return std::string(std::istreambuf_iterator<char>(in), {});
    } catch (const std::ios_base::failure&) {
        return std::nullopt;
    }
}

// KEY=VALUE lines of a uevent file.
std::map<std::string, std::string> ReadUevent(const fs::path& file) {
    std::map<std::string, std::string> values;
    std::istringstream lines(ReadText(file).value_or(""));
    for (std::string line; std::getline(lines, line);) {
        if (auto eq = line.find('='); eq != std::string::npos)
            values[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return values;
}

std::optional<std::uint16_t> ParseHex16(const std::string& text) {
    try {
        std::size_t used = 0;
        unsigned long value = std::stoul(text, &used, 16);
        if (used == 0 || value > 0xFFFF)
            return std::nullopt;
        return static_cast<std::uint16_t>(value);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

// HID_ID is BUS:VENDOR:PRODUCT in hex, the IDs 8 digits wide.
bool ParseHidId(const std::string& hidId, std::string& bus, HidAttributes& attributes) {
    std::istringstream parts(hidId);
    std::string vendor, product;
    if (!std::getline(parts, bus, ':') || !std::getline(parts, vendor, ':') || !std::getline(parts, product))
        return false;
    auto v = ParseHex16(vendor.size() > 4 ? vendor.substr(vendor.size() - 4) : vendor);
    auto p = ParseHex16(product.size() > 4 ? product.substr(product.size() - 4) : product);
    if (!v || !p)
        return false;
    attributes.VendorID = *v;
    attributes.ProductID = *p;
    return true;
}

// The USB device above a HID device is the first ancestor with a bcdDevice file.
std::uint16_t UsbVersion(const fs::path& hidDevice, const fs::path& sysfsRoot) {
    std::error_code ec;
    const fs::path stop = fs::weakly_canonical(sysfsRoot, ec);
    for (fs::path dir = hidDevice.parent_path(); !dir.empty() && dir != stop && dir != dir.root_path();
         dir = dir.parent_path()) {
        if (auto text = ReadText(dir / "bcdDevice"))
            return ParseHex16(*text).value_or(0);
    }
    return 0;
}

unsigned NodeNumber(const std::string& name) {
    auto digits = name.find_first_of("0123456789");
    return digits == std::string::npos ? ~0u : static_cast<unsigned>(std::stoul(name.substr(digits)));
}

} // namespace

bool HidrawClassExists(const HidrawRoots& roots) {
    std::error_code ec;
    return fs::is_directory(roots.sysfs / "class" / "hidraw", ec);
}

std::optional<HidrawInterface> ReadHidraw(const HidrawRoots& roots, const std::string& name) {
    const fs::path node = roots.sysfs / "class" / "hidraw" / name;
    auto nodeValues = ReadUevent(node / "uevent");
    std::error_code ec;
    const fs::path hidDevice = fs::canonical(node / "device", ec);
    if (ec || nodeValues["DEVNAME"].empty())
        return std::nullopt;
    auto hidValues = ReadUevent(hidDevice / "uevent");
    HidrawInterface result;
    std::string bus;
    if (!ParseHidId(hidValues["HID_ID"], bus, result.attributes))
        return std::nullopt;
    if (bus == kUsbBus)
        result.attributes.VersionNumber = UsbVersion(hidDevice, roots.sysfs);
    result.info.DeviceInstance = hidDevice.filename().string();
    result.info.DevicePath = (roots.dev / nodeValues["DEVNAME"]).string();
    result.serial = hidValues["HID_UNIQ"];
    std::string descriptor = ReadText(hidDevice / "report_descriptor").value_or("");
    result.input = ParseInputReports(std::vector<std::uint8_t>(descriptor.begin(), descriptor.end()));
    return result;
}

std::vector<HidrawInterface> ReadHidrawClass(const HidrawRoots& roots) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(roots.sysfs / "class" / "hidraw", ec))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return NodeNumber(a) < NodeNumber(b); });
    std::vector<HidrawInterface> result;
    for (const std::string& name : names) {
        if (auto found = ReadHidraw(roots, name))
            result.push_back(std::move(*found));
    }
    return result;
}

} // namespace miran::hid::linux_backend
