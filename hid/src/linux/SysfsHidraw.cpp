#include "SysfsHidraw.h"

#include "hid/DebugLog.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string_view>
#include <sys/sysmacros.h>
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

// The whole text as a decimal number; nothing when it is not one or does not fit.
std::optional<unsigned> Decimal(std::string_view text) {
    unsigned value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// The number of a class entry "hidrawN".
std::optional<unsigned> NodeNumber(std::string_view name) {
    constexpr std::string_view kPrefix = "hidraw";
    if (name.substr(0, kPrefix.size()) != kPrefix)
        return std::nullopt;
    return Decimal(name.substr(kPrefix.size()));
}

// A "dev" attribute: MAJOR:MINOR and a line end.
std::optional<dev_t> DeviceNumber(const std::string& text) {
    std::string_view line = text;
    if (!line.empty() && line.back() == '\n')
        line.remove_suffix(1);
    auto colon = line.find(':');
    if (colon == std::string_view::npos)
        return std::nullopt;
    auto major = Decimal(line.substr(0, colon));
    auto minor = Decimal(line.substr(colon + 1));
    if (!major || !minor)
        return std::nullopt;
    return makedev(*major, *minor);
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
    auto number = DeviceNumber(ReadText(node / "dev").value_or(""));
    if (ec || nodeValues["DEVNAME"].empty() || !number) {
        DebugLog("skipped " + name + ": half gone (" +
                 (ec        ? "no HID device"
                  : !number ? "no device number"
                            : "no DEVNAME") +
                 ")");
        return std::nullopt;
    }
    auto hidValues = ReadUevent(hidDevice / "uevent");
    HidrawInterface result;
    std::string bus;
    if (!ParseHidId(hidValues["HID_ID"], bus, result.attributes)) {
        DebugLog("skipped " + name + ": attributes missing (HID_ID \"" + hidValues["HID_ID"] + "\")");
        return std::nullopt;
    }
    if (bus == kUsbBus)
        result.attributes.VersionNumber = UsbVersion(hidDevice, roots.sysfs);
    result.info.DeviceInstance = hidDevice.filename().string();
    result.info.DevicePath = (roots.dev / nodeValues["DEVNAME"]).string();
    result.serial = hidValues["HID_UNIQ"];
    result.number = *number;
    std::string descriptor = ReadText(hidDevice / "report_descriptor").value_or("");
    result.input = ParseInputReports(std::vector<std::uint8_t>(descriptor.begin(), descriptor.end()));
    return result;
}

std::vector<HidrawInterface> ReadHidrawClass(const HidrawRoots& roots) {
    std::vector<std::pair<unsigned, std::string>> nodes;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(roots.sysfs / "class" / "hidraw", ec)) {
        std::string name = entry.path().filename().string();
        if (auto number = NodeNumber(name))
            nodes.emplace_back(*number, std::move(name));
        else
            DebugLog("skipped " + name + ": malformed name");
    }
    std::sort(nodes.begin(), nodes.end());
    std::vector<HidrawInterface> result;
    for (const auto& [number, name] : nodes) {
        if (auto found = ReadHidraw(roots, name))
            result.push_back(std::move(*found));
    }
    return result;
}

std::optional<std::string> InstanceOfNode(const HidrawRoots& roots, dev_t number) {
    const std::string name = std::to_string(major(number)) + ":" + std::to_string(minor(number));
    std::error_code ec;
    const fs::path hidDevice = fs::canonical(roots.sysfs / "dev" / "char" / name / "device", ec);
    if (ec)
        return std::nullopt;
    return hidDevice.filename().string();
}

} // namespace miran::hid::linux_backend
