#include "HidDeviceReadThread.h"

#include "hid/HidDevice.h"

#include <algorithm>
#include <cerrno>
#include <chrono>

namespace miran::hid {

THidDeviceReadThread::THidDeviceReadThread(THidDevice& device, std::uint16_t inputReportLength)
    : device_(device), platform_(device.platform_), sync_(device.sync_), interface_(device.PnPInfo()),
      inputReportLength_(inputReportLength) {
    // The first open happens here, on the main thread; after a failed read the thread opens again itself.
    std::unique_ptr<HidHandle> handle = platform_->Open(interface_, HidAccess::Read);
    thread_ = std::thread([this, h = std::move(handle)]() mutable { Execute(std::move(h)); });
}

THidDeviceReadThread::~THidDeviceReadThread() {
    if (abandoned_)
        return; // destroyed by its own thread
    {
        std::lock_guard lock(mutex_);
        terminated_ = true;
    }
    terminate_.notify_all();
    sync_->RunUntil([this] { return ended_.load(); });
    thread_.join();
}

void THidDeviceReadThread::Execute(std::unique_ptr<HidHandle> handle) {
    auto terminated = [this] {
        std::lock_guard lock(mutex_);
        return terminated_;
    };
    while (!terminated()) {
        std::uint32_t openError = 0;
        if (!handle) {
            errno = 0;
            handle = platform_->Open(interface_, HidAccess::Read);
            openError = static_cast<std::uint32_t>(errno);
        }
        if (handle && inputReportLength_ == 0)
            inputReportLength_ = handle->InputReportLength();
        ReadBuffer.assign(std::max<std::size_t>(inputReportLength_, 1), 0);
        HidInputRead read;
        if (!handle) {
            read = {HidInputRead::Status::Error, 0, openError};
        } else {
            // Waits in slices of one sleep time so that a termination request is noticed within one.
            do {
                read = handle->ReadInputReport(ReadBuffer.data(), ReadBuffer.size(),
                                               std::chrono::milliseconds(device_.SleepTime()));
            } while (read.status == HidInputRead::Status::Timeout && !terminated());
        }
        if (read.status == HidInputRead::Status::Timeout)
            break;
        if (read.status == HidInputRead::Status::Report) {
            BytesRead = static_cast<std::uint32_t>(read.bytes);
            if (BytesRead > 0)
                sync_->Synchronize([this] { device_.DeliverReport(ReadBuffer.data(), BytesRead); });
            continue;
        }
        LastError = read.error;
        handle.reset(); // opened again on the next pass
        const std::chrono::milliseconds pause(device_.SleepTime());
        sync_->Synchronize([this] { device_.DeliverError(LastError); });
        Pause(pause);
    }
    // Past a delivery the device may be gone: from here on only the thread's own members are used.
    if (abandoned_) {
        delete this;
        return;
    }
    ended_ = true;
    sync_->Wake();
}

void THidDeviceReadThread::Pause(std::chrono::milliseconds duration) {
    std::unique_lock lock(mutex_);
    terminate_.wait_for(lock, duration, [this] { return terminated_; });
}

void THidDeviceReadThread::Abandon() {
    // The thread may still be inside the dispatcher that handed this delivery over; once that has returned it
    // touches nothing of the owner's, which may then go.
    sync_->WaitUntilDispatched();
    {
        std::lock_guard lock(mutex_);
        terminated_ = true;
    }
    abandoned_ = true;
    thread_.detach();
}

} // namespace miran::hid
