#include "HotplugSource.h"
#include "Uevent.h"
#include "hid/DebugLog.h"

#include <dlfcn.h>
#include <system_error>

namespace miran::hid::linux_backend {

namespace {

struct udev;
struct udev_monitor;
struct udev_device;

// libudev bound at run time, all of its entry points or none, so that the program runs (and links
// statically) where it is missing.
class UdevLibrary {
public:
    static std::unique_ptr<UdevLibrary> Load() {
        void* handle = dlopen("libudev.so.1", RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            DebugLog(std::string("libudev not bound: ") + dlerror());
            return nullptr;
        }
        auto library = std::unique_ptr<UdevLibrary>(new UdevLibrary(handle));
        if (!library->BindAll()) {
            DebugLog("libudev not bound: an entry point is missing");
            return nullptr;
        }
        DebugLog("libudev bound");
        return library;
    }
    ~UdevLibrary() { dlclose(handle_); }

    udev* (*udev_new)() = nullptr;
    udev* (*udev_unref)(udev*) = nullptr;
    udev_monitor* (*udev_monitor_new_from_netlink)(udev*, const char*) = nullptr;
    int (*udev_monitor_filter_add_match_subsystem_devtype)(udev_monitor*, const char*, const char*) = nullptr;
    int (*udev_monitor_enable_receiving)(udev_monitor*) = nullptr;
    int (*udev_monitor_get_fd)(udev_monitor*) = nullptr;
    udev_device* (*udev_monitor_receive_device)(udev_monitor*) = nullptr;
    udev_monitor* (*udev_monitor_unref)(udev_monitor*) = nullptr;
    const char* (*udev_device_get_action)(udev_device*) = nullptr;
    const char* (*udev_device_get_subsystem)(udev_device*) = nullptr;
    const char* (*udev_device_get_sysname)(udev_device*) = nullptr;
    udev_device* (*udev_device_unref)(udev_device*) = nullptr;

private:
    explicit UdevLibrary(void* handle) : handle_(handle) {}

    template <class F> bool Bind(F& slot, const char* name) {
        slot = reinterpret_cast<F>(dlsym(handle_, name));
        return slot != nullptr;
    }
    bool BindAll() {
        return Bind(udev_new, "udev_new") && Bind(udev_unref, "udev_unref") &&
               Bind(udev_monitor_new_from_netlink, "udev_monitor_new_from_netlink") &&
               Bind(udev_monitor_filter_add_match_subsystem_devtype,
                    "udev_monitor_filter_add_match_subsystem_devtype") &&
               Bind(udev_monitor_enable_receiving, "udev_monitor_enable_receiving") &&
               Bind(udev_monitor_get_fd, "udev_monitor_get_fd") &&
               Bind(udev_monitor_receive_device, "udev_monitor_receive_device") &&
               Bind(udev_monitor_unref, "udev_monitor_unref") &&
               Bind(udev_device_get_action, "udev_device_get_action") &&
               Bind(udev_device_get_subsystem, "udev_device_get_subsystem") &&
               Bind(udev_device_get_sysname, "udev_device_get_sysname") &&
               Bind(udev_device_unref, "udev_device_unref");
    }

    void* handle_;
};

class UdevSource : public HotplugSource {
public:
    UdevSource(std::unique_ptr<UdevLibrary> library, udev* context, udev_monitor* monitor)
        : lib_(std::move(library)), context_(context), monitor_(monitor) {}
    ~UdevSource() override {
        lib_->udev_monitor_unref(monitor_);
        lib_->udev_unref(context_);
    }

    int Fd() const override { return lib_->udev_monitor_get_fd(monitor_); }

    bool DrainNodeChanges() override {
        bool changed = false;
        while (udev_device* device = lib_->udev_monitor_receive_device(monitor_)) {
            UeventProperties event;
            auto put = [&](const char* key, const char* value) {
                if (value)
                    event[key] = value;
            };
            put("ACTION", lib_->udev_device_get_action(device));
            put("SUBSYSTEM", lib_->udev_device_get_subsystem(device));
            put("DEVNAME", lib_->udev_device_get_sysname(device));
            changed = changed || IsHidrawNodeChange(event);
            lib_->udev_device_unref(device);
        }
        return changed;
    }

private:
    std::unique_ptr<UdevLibrary> lib_;
    udev* context_;
    udev_monitor* monitor_;
};

} // namespace

std::unique_ptr<HotplugSource> OpenUdevSource(const std::filesystem::path& udevRunDir) {
    std::error_code ec;
    const std::filesystem::path control = udevRunDir / "control";
    if (!std::filesystem::exists(control, ec)) {
        DebugLog("udevd not running: no " + control.string()); // its monitor would stay silent
        return nullptr;
    }
    DebugLog("udevd running: " + control.string() + " exists");
    auto library = UdevLibrary::Load();
    if (!library)
        return nullptr;
    udev* context = library->udev_new();
    if (!context) {
        DebugLog("udev monitor not opened: udev_new failed");
        return nullptr;
    }
    udev_monitor* monitor = library->udev_monitor_new_from_netlink(context, "udev");
    if (!monitor) {
        DebugLog("udev monitor not opened: udev_monitor_new_from_netlink failed");
        library->udev_unref(context);
        return nullptr;
    }
    if (library->udev_monitor_filter_add_match_subsystem_devtype(monitor, "hidraw", nullptr) < 0 ||
        library->udev_monitor_enable_receiving(monitor) < 0) {
        DebugLog("udev monitor not opened: filtering or receiving refused");
        library->udev_monitor_unref(monitor);
        library->udev_unref(context);
        return nullptr;
    }
    return std::make_unique<UdevSource>(std::move(library), context, monitor);
}

} // namespace miran::hid::linux_backend
