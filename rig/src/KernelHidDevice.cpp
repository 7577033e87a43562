#include "KernelHidDevice.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <poll.h>
#include <system_error>
#include <vector>

namespace miran::rig {

namespace {

// A rebooting device answers the closing command's status first: the kernel drops an answer that arrives
// when the device is already going.
constexpr std::chrono::milliseconds kResetDelay{50};

// The CRC-32 of zlib: the rig's check works out the bytes a data report must carry on its own and compares.
std::uint32_t Crc32(const std::uint8_t* data, std::size_t length) {
    std::uint32_t c = 0xFFFFFFFF;
    for (std::size_t i = 0; i < length; ++i) {
        c ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            c = c & 1 ? (c >> 1) ^ 0xEDB88320 : c >> 1;
    }
    return ~c;
}

// The trace form: call, report ID, length, the bytes of small reports or the CRC-32 of large ones.
std::string Describe(const char* call, std::uint8_t reportId, const std::uint8_t* data, std::size_t length,
                     bool ok) {
    std::string line = std::string(call) + ' ' + std::to_string(reportId) + ' ' + std::to_string(length);
    char hex[16];
    if (data && length <= 8) {
        for (std::size_t i = 0; i < length; ++i) {
            std::snprintf(hex, sizeof hex, " %02X", data[i]);
            line += hex;
        }
    } else if (data) {
        std::snprintf(hex, sizeof hex, " crc32 %08X", static_cast<unsigned>(Crc32(data, length)));
        line += hex;
    }
    return ok ? line : line + " FAILED";
}

} // namespace

KernelHidDevice::KernelHidDevice(UhidIdentity identity, std::vector<FeatureReport> reports,
                                 std::shared_ptr<hid::VirtualHidEndpoint> endpoint, EventLog& log)
    : identity_(std::move(identity)), reports_(std::move(reports)), endpoint_(std::move(endpoint)),
      log_(log) {
    identity_.reportDescriptor = FeatureReportDescriptor(reports_);
}

void KernelHidDevice::Run(int stopFd) {
    for (;;) {
        ApplyDueChanges();
        pollfd fds[] = {{stopFd, POLLIN, 0}, {Fd(), POLLIN, 0}};
        if (poll(fds, 2, PollTimeout()) < 0 && errno != EINTR)
            throw std::system_error(errno, std::generic_category(), "poll");
        if (fds[0].revents)
            break;
        if (fds[1].revents & POLLIN)
            Serve();
    }
    Unplug();
}

void KernelHidDevice::ApplyDueChanges() {
    const Clock::time_point now = Clock::now();
    if (unplugDue_ && *unplugDue_ <= now) {
        unplugDue_.reset();
        Unplug();
        PlugAt(now + *rebootTime_);
        rebootTime_.reset();
    }
    if (plugDue_ && *plugDue_ <= now)
        Plug();
}

int KernelHidDevice::PollTimeout() const {
    const std::optional<Clock::time_point>& due = unplugDue_ ? unplugDue_ : plugDue_;
    if (!due)
        return -1;
    auto left = std::chrono::ceil<std::chrono::milliseconds>(*due - Clock::now());
    return static_cast<int>(std::max<long long>(left.count(), 0));
}

void KernelHidDevice::Plug() {
    plugDue_.reset();
    device_ = std::make_unique<UhidDevice>(identity_);
    log_.Write(identity_.serial, "plugged");
}

void KernelHidDevice::Unplug() {
    if (!device_)
        return;
    device_.reset();
    log_.Write(identity_.serial, "unplugged");
}

std::size_t KernelHidDevice::LengthOf(std::uint8_t reportId) const {
    for (const FeatureReport& report : reports_) {
        if (report.id == reportId)
            return report.length;
    }
    return 0;
}

void KernelHidDevice::Serve() {
    const uhid_event event = device_->Read();
    if (event.type == UHID_GET_REPORT)
        ServeGet(event.u.get_report);
    else if (event.type == UHID_SET_REPORT)
        ServeSet(event.u.set_report);
}

// The request carries no length: the descriptor's length of the report is the one the device answers with.
void KernelHidDevice::ServeGet(const uhid_get_report_req& request) {
    const std::size_t length = LengthOf(request.rnum);
    std::vector<std::uint8_t> buffer(std::max<std::size_t>(length, 1));
    buffer[0] = request.rnum;
    const bool ok = request.rtype == UHID_FEATURE_REPORT && length > 0 && endpoint_ &&
                    endpoint_->GetFeature(buffer.data(), length);
    log_.Write(identity_.serial, Describe("Get", request.rnum, nullptr, length, ok));
    if (!vanishing_)
        device_->AnswerGet(request.id, buffer.data(), length, ok);
    AfterRequest();
}

void KernelHidDevice::ServeSet(const uhid_set_report_req& request) {
    const bool ok = request.rtype == UHID_FEATURE_REPORT && request.size > 0 && endpoint_ &&
                    endpoint_->SetFeature(request.data, request.size);
    log_.Write(identity_.serial, Describe("Set", request.rnum, request.data, request.size, ok));
    if (!vanishing_)
        device_->AnswerSet(request.id, ok);
    AfterRequest();
}

void KernelHidDevice::AfterRequest() {
    if (vanishing_) {
        vanishing_ = false;
        log_.Write(identity_.serial, "vanished");
        Unplug();
    } else if (rebootTime_ && !unplugDue_) {
        log_.Write(identity_.serial, "rebooting");
        unplugDue_ = Clock::now() + kResetDelay;
    }
}

} // namespace miran::rig
