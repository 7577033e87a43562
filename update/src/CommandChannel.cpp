#include "update/CommandChannel.h"

#include "hid/HidDevice.h"

#include <algorithm>

namespace miran::update {

bool CommandChannel::Set(const std::uint8_t* buffer, std::size_t length) {
    bool ok = currentDevice_ && currentDevice_->SetFeature(buffer, length);
    if (trace_)
        trace_({false, buffer[0], buffer, length, ok});
    return ok;
}

bool CommandChannel::Get(std::uint8_t* buffer, std::size_t length) {
    const std::uint8_t reportId = buffer[0];
    bool ok = currentDevice_ && currentDevice_->GetFeature(buffer, length);
    if (trace_)
        trace_({true, reportId, buffer, length, ok});
    return ok;
}

bool CommandChannel::SendCommand(std::uint8_t command, std::uint16_t param16, std::uint32_t param32) {
    command_ = {kReportCommand,
                command,
                static_cast<std::uint8_t>(param16),
                static_cast<std::uint8_t>(param16 >> 8),
                static_cast<std::uint8_t>(param32),
                static_cast<std::uint8_t>(param32 >> 8),
                static_cast<std::uint8_t>(param32 >> 16),
                static_cast<std::uint8_t>(param32 >> 24)};
    return Set(command_.data(), command_.size());
}

bool CommandChannel::SendData(const std::uint8_t* data) {
    data_[0] = kReportData;
    std::copy_n(data, kDataSize, data_.begin() + 1);
    return Set(data_.data(), data_.size());
}

bool CommandChannel::ReadData(std::uint8_t* destination) {
    // A separate buffer, so that a failed fetch cannot leave partial bytes in the destination.
    std::array<std::uint8_t, kDataReportSize> reply{};
    reply[0] = kReportData;
    if (!Get(reply.data(), reply.size()))
        return false;
    // The reply starts in the report-ID position; its last byte never reaches the caller.
    std::copy_n(reply.begin(), kDataSize, destination);
    return true;
}

std::uint16_t CommandChannel::Query(std::uint8_t command, std::uint16_t param16, std::uint32_t param32) {
    if (!SendCommand(command, param16, param32))
        return kQueryFailed;
    std::array<std::uint8_t, kStatusReportSize> reply = status_;
    reply[0] = kReportStatus;
    reply[1] = 0;
    if (!Get(reply.data(), reply.size()))
        return kQueryFailed;
    status_ = reply;
    return static_cast<std::uint16_t>(status_[0] | status_[1] << 8);
}

std::uint16_t CommandChannel::Length() const {
    return static_cast<std::uint16_t>(status_[2] | status_[3] << 8);
}

} // namespace miran::update
