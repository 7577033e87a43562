#include "UhidDevice.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/input.h>
#include <stdexcept>
#include <system_error>
#include <unistd.h>

namespace miran::rig {

namespace {

void CopyText(std::uint8_t* field, std::size_t capacity, const std::string& text) {
    std::memcpy(field, text.data(), std::min(text.size(), capacity - 1));
}

} // namespace

UhidDevice::UhidDevice(const UhidIdentity& identity) {
    uhid_event event{};
    event.type = UHID_CREATE2;
    uhid_create2_req& create = event.u.create2;
    if (identity.reportDescriptor.size() > sizeof create.rd_data)
        throw std::invalid_argument("report descriptor too long");
    CopyText(create.name, sizeof create.name, identity.name);
    CopyText(create.uniq, sizeof create.uniq, identity.serial);
    CopyText(create.phys, sizeof create.phys, "uhid-" + identity.serial);
    create.bus = BUS_USB;
    create.vendor = identity.vendorId;
    create.product = identity.productId;
    create.version = identity.version;
    create.rd_size = static_cast<std::uint16_t>(identity.reportDescriptor.size());
    std::copy(identity.reportDescriptor.begin(), identity.reportDescriptor.end(), create.rd_data);

    fd_ = UniqueFd(open("/dev/uhid", O_RDWR | O_CLOEXEC));
    if (fd_.Get() < 0)
        throw std::system_error(errno, std::generic_category(), "/dev/uhid");
    Write(event);
}

uhid_event UhidDevice::Read() {
    uhid_event event{};
    if (read(fd_.Get(), &event, sizeof event) < 0)
        throw std::system_error(errno, std::generic_category(), "reading /dev/uhid");
    return event;
}

void UhidDevice::AnswerGet(std::uint32_t id, const std::uint8_t* data, std::size_t size, bool ok) {
    uhid_event event{};
    event.type = UHID_GET_REPORT_REPLY;
    event.u.get_report_reply.id = id;
    event.u.get_report_reply.err = ok ? 0 : EIO;
    if (ok) {
        size = std::min(size, sizeof event.u.get_report_reply.data);
        event.u.get_report_reply.size = static_cast<std::uint16_t>(size);
        std::memcpy(event.u.get_report_reply.data, data, size);
    }
    Write(event);
}

void UhidDevice::AnswerSet(std::uint32_t id, bool ok) {
    uhid_event event{};
    event.type = UHID_SET_REPORT_REPLY;
    event.u.set_report_reply.id = id;
    event.u.set_report_reply.err = ok ? 0 : EIO;
    Write(event);
}

void UhidDevice::Write(const uhid_event& event) {
    if (write(fd_.Get(), &event, sizeof event) != static_cast<ssize_t>(sizeof event))
        throw std::system_error(errno, std::generic_category(), "writing /dev/uhid");
}

} // namespace miran::rig
