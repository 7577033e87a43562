#include "HotplugSource.h"
#include "Uevent.h"
#include "core/UniqueFd.h"
#include "hid/DebugLog.h"

#include <cerrno>
#include <linux/netlink.h>
#include <sys/socket.h>
#include <unistd.h>

namespace miran::hid::linux_backend {

namespace {

constexpr unsigned kKernelGroup = 1;

class KernelUeventSource : public HotplugSource {
public:
    explicit KernelUeventSource(UniqueFd fd) : fd_(std::move(fd)) {}

    int Fd() const override { return fd_.Get(); }

    bool DrainNodeChanges() override {
        bool changed = false;
        char buffer[8192];
        for (;;) {
            sockaddr_nl sender{};
            socklen_t senderSize = sizeof sender;
            ssize_t n = recvfrom(fd_.Get(), buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&sender),
                                 &senderSize);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                // EAGAIN: drained. ENOBUFS: events were lost; a rescan catches up with them.
                return changed || errno == ENOBUFS;
            }
            if (sender.nl_pid != 0)
                continue; // only the kernel speaks on this group
            if (auto event = ParseKernelUevent(buffer, static_cast<std::size_t>(n)))
                changed = changed || IsHidrawNodeChange(*event);
        }
    }

private:
    UniqueFd fd_;
};

} // namespace

std::unique_ptr<HotplugSource> OpenKernelUeventSource() {
    UniqueFd fd(socket(AF_NETLINK, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, NETLINK_KOBJECT_UEVENT));
    if (fd.Get() < 0)
        return nullptr;
    sockaddr_nl address{};
    address.nl_family = AF_NETLINK;
    address.nl_groups = kKernelGroup;
    if (bind(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) < 0)
        return nullptr;
    return std::make_unique<KernelUeventSource>(std::move(fd));
}

std::unique_ptr<HotplugSource> OpenHotplugSource(const std::filesystem::path& udevRunDir) {
    if (auto udev = OpenUdevSource(udevRunDir)) {
        DebugLog("hotplug source: udev monitor");
        return udev;
    }
    auto kernel = OpenKernelUeventSource();
    DebugLog(kernel ? "hotplug source: kernel uevents"
                    : "hotplug source: none (kernel uevent socket: " + ErrnoText(errno) + ")");
    return kernel;
}

} // namespace miran::hid::linux_backend
