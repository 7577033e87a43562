#include "hid/SystemHidPlatform.h"

namespace miran::hid {

namespace {

// The state of a system without HID access: no interfaces, no notifications.
class SilentHidPlatform : public HidPlatform {
public:
    bool Loaded() const override { return false; }
    std::vector<THidPnPInfo> CollectInterfaces() override { return {}; }
    std::unique_ptr<HidHandle> Open(const THidPnPInfo& /*interface*/, HidAccess /*access*/) override {
        return nullptr;
    }
    int NotificationFd() const override { return -1; }
    void PostNotification() override {}
    std::optional<long> TakeNotification() override { return std::nullopt; }
};

} // namespace

std::shared_ptr<HidPlatform> CreateSystemHidPlatform() {
    return std::make_shared<SilentHidPlatform>();
}

} // namespace miran::hid
