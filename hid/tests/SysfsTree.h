#pragma once

#include "linux/SysfsHidraw.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <stdlib.h>
#include <string>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <vector>

namespace miran::hid::linux_backend {

namespace fs = std::filesystem;

// A sysfs tree (and an empty /dev) in a temporary folder, laid out as the kernel lays out hidraw nodes.
class SysfsTree {
public:
    SysfsTree() {
        std::string pattern = (fs::temp_directory_path() / "hid-sysfs-XXXXXX").string();
        root_ = mkdtemp(pattern.data());
        fs::create_directories(root_ / "sys" / "class" / "hidraw");
        fs::create_directories(root_ / "dev");
    }
    ~SysfsTree() { fs::remove_all(root_); }

    HidrawRoots Roots() const { return {root_ / "sys", root_ / "dev"}; }

    // A USB HID interface: usb device, its interface, the HID device and its hidraw node.
    void AddUsb(const std::string& node, const std::string& hidName, const std::string& hidId,
                const std::string& uniq, const std::string& bcdDevice,
                const std::vector<std::uint8_t>& descriptor = {}) {
        const fs::path usb = "devices/pci0000:00/0000:00:14.0/usb1/1-" + std::to_string(++usbPort_);
        Write(usb / "bcdDevice", bcdDevice + "\n");
        AddHid(usb / ("1-" + std::to_string(usbPort_) + ":1.0") / hidName, node, hidId, uniq, descriptor);
    }

    // A HID device created from user space (uhid), with no USB device above it.
    void AddUhid(const std::string& node, const std::string& hidName, const std::string& hidId,
                 const std::string& uniq) {
        AddHid(fs::path("devices/virtual/misc/uhid") / hidName, node, hidId, uniq, {});
    }

    void Write(const fs::path& relative, const std::string& text) {
        fs::create_directories((root_ / "sys" / relative).parent_path());
        std::ofstream(root_ / "sys" / relative, std::ios::binary) << text;
    }

    // Lets the node answer as the character device `target` (/dev/null, /dev/zero), in /dev and in sysfs.
    void Link(const std::string& node, const fs::path& target) {
        Repoint(node, target);
        struct stat device {};
        ASSERT_EQ(stat(target.c_str(), &device), 0);
        const std::string number =
            std::to_string(major(device.st_rdev)) + ":" + std::to_string(minor(device.st_rdev));
        Write(hidraw_.at(node) / "dev", number + "\n");
        fs::create_directories(root_ / "sys" / "dev" / "char");
        fs::remove(root_ / "sys" / "dev" / "char" / number);
        fs::create_directory_symlink("../../" + hidraw_.at(node).string(),
                                     root_ / "sys" / "dev" / "char" / number);
    }

    // Only the /dev entry now leads to `target`.
    void Repoint(const std::string& node, const fs::path& target) {
        fs::remove(root_ / "dev" / node);
        fs::create_symlink(target, root_ / "dev" / node);
    }

    // Takes the node's HID device away; /dev keeps the entry, as it may for a moment.
    void Unplug(const std::string& node) {
        fs::remove(root_ / "sys" / "class" / "hidraw" / node);
        fs::remove_all(root_ / "sys" / hidraw_.at(node).parent_path().parent_path());
        hidraw_.erase(node);
    }

    fs::path Root() const { return root_; }

private:
    void AddHid(const fs::path& hid, const std::string& node, const std::string& hidId,
                const std::string& uniq, const std::vector<std::uint8_t>& descriptor) {
        Write(hid / "uevent", "DRIVER=hid-generic\nHID_ID=" + hidId +
                                  "\nHID_NAME=Test\nHID_PHYS=usb-1/input0\n" + "HID_UNIQ=" + uniq +
                                  "\nMODALIAS=hid:b0003\n");
        Write(hid / "report_descriptor", std::string(descriptor.begin(), descriptor.end()));
        const fs::path hidraw = hid / "hidraw" / node;
        const std::string minor = node.substr(node.find_first_of("0123456789"));
        Write(hidraw / "uevent", "MAJOR=241\nMINOR=" + minor + "\nDEVNAME=" + node + "\n");
        Write(hidraw / "dev", "241:" + minor + "\n");
        hidraw_[node] = hidraw;
        fs::create_directory_symlink("../../../" + hid.filename().string(),
                                     root_ / "sys" / hidraw / "device");
        fs::create_directory_symlink("../../" + hidraw.string(), root_ / "sys" / "class" / "hidraw" / node);
    }

    fs::path root_;
    int usbPort_ = 0;
    std::map<std::string, fs::path> hidraw_; // node name: its sysfs folder
};

} // namespace miran::hid::linux_backend
