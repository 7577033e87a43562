#include "HidBus.h"

#include "sim/SimulationFile.h"
#include "update/Protocol.h"

#include <cstdio>
#include <dbt.h>
#include <stdexcept>
#include <thread>

namespace miran::rig {

namespace {

// Names the --simulate file whose programmers the doubles present; unset: one with defaults.
constexpr const char* kSimulationVariable = "MIRAN_WINE_SIMULATE";
// How long a programmer stays away while it restarts after its closing command.
constexpr std::chrono::milliseconds kRestartTime{300};
// Windows gives a handle this many input buffers until told otherwise.
constexpr ULONG kDefaultInputBuffers = 32;

// A device no tool of ours may pick: one of the virtual HID devices Wine itself presents.
constexpr USHORT kForeignVendorId = 0x845E;
constexpr USHORT kForeignProductId = 0x0001;

std::vector<sim::ProgrammerConfig> Programmers() {
    char value[MAX_PATH * 4];
    const DWORD length = GetEnvironmentVariableA(kSimulationVariable, value, sizeof value);
    if (length == 0 || length >= sizeof value)
        return {sim::DefaultProgrammer(0)};
    std::string path = value;
    if (path.front() == '/')
        path = "Z:" + path; // a Unix path, as scripts give it: Wine's drive Z: is the Unix root
    try {
        return sim::LoadSimulationFile(path);
    } catch (const std::runtime_error& error) {
        std::fprintf(stderr, "hidbus: %s: %s\n", kSimulationVariable, error.what());
        return {};
    }
}

HIDP_CAPS ProgrammerCaps() {
    HIDP_CAPS caps{};
    caps.UsagePage = 0xFF00;
    caps.Usage = 1;
    caps.FeatureReportByteLength = update::kDataReportSize;
    caps.NumberLinkCollectionNodes = 1;
    caps.NumberFeatureValueCaps = 3;
    caps.NumberFeatureDataIndices = 3;
    return caps;
}

HIDP_CAPS KeyboardCaps() {
    HIDP_CAPS caps{};
    caps.UsagePage = 1;
    caps.Usage = 6;
    caps.InputReportByteLength = 9;
    caps.OutputReportByteLength = 2;
    caps.NumberLinkCollectionNodes = 1;
    caps.NumberInputButtonCaps = 2;
    caps.NumberInputDataIndices = 109;
    caps.NumberOutputButtonCaps = 1;
    caps.NumberOutputDataIndices = 5;
    return caps;
}

// Under a name like the one Windows gives a HID device; the process id keeps runs apart.
std::string PipePath(const HIDD_ATTRIBUTES& attributes, DWORD devInst) {
    char path[160];
    std::snprintf(path, sizeof path,
                  R"(\\.\pipe\hid#vid_%04x&pid_%04x#%lu&%lu#{4d1e55b2-f16f-11cf-88cb-001111000030})",
                  attributes.VendorID, attributes.ProductID, GetCurrentProcessId(), devInst);
    return path;
}

void AnnounceChange() {
    PostMessageA(HWND_BROADCAST, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
}

} // namespace

HidBus& HidBus::Instance() {
    static HidBus* bus = new HidBus;
    return *bus;
}

HidBus::HidBus() {
    // Its threads run on after the backend frees the doubles: this library must stay mapped.
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                       reinterpret_cast<LPCSTR>(&HidBus::Instance), &self);
    Slot& foreign = slots_.emplace_back();
    foreign.device.attributes = {sizeof(HIDD_ATTRIBUTES), kForeignVendorId, kForeignProductId, 0x0100};
    foreign.device.caps = KeyboardCaps();
    foreign.device.readWriteAllowed = false; // as Windows keeps keyboards to itself
    Plug(foreign);
    // What is there at the start is found by the first scan, not announced.
    for (const sim::ProgrammerConfig& config : Programmers()) {
        Slot& slot = AddProgrammer(config);
        if (config.plugAfter.count() == 0)
            Plug(slot);
        else
            PlugLater(slot, config.plugAfter);
    }
}

HidBus::Slot& HidBus::AddProgrammer(const sim::ProgrammerConfig& config) {
    Slot& slot = slots_.emplace_back();
    BusInterface& device = slot.device;
    device.attributes = {sizeof(HIDD_ATTRIBUTES), update::kProgrammerVendorId, update::kProgrammerProductId,
                         0x0100};
    device.caps = ProgrammerCaps();
    device.serial = config.serial;
    device.readWriteAllowed = !config.noPermission;
    device.programmer = std::make_shared<sim::VirtualProgrammer>(config);
    device.transfers = std::make_shared<std::mutex>();
    device.programmer->onVanish = [this, &slot] { Unplug(slot); };
    device.programmer->onReboot = [this, &slot] {
        Unplug(slot);
        PlugLater(slot, kRestartTime);
    };
    return slot;
}

void HidBus::Plug(Slot& slot) {
    std::lock_guard lock(mutex_);
    slot.device.devInst = nextDevInst_++;
    slot.device.path = PipePath(slot.device.attributes, slot.device.devInst);
    slot.listener = std::make_unique<PipeListener>(slot.device.path, slot.device.readWriteAllowed);
}

void HidBus::Unplug(Slot& slot) {
    std::unique_ptr<PipeListener> listener;
    {
        std::lock_guard lock(mutex_);
        slot.device.devInst = 0;
        listener = std::move(slot.listener);
    }
    listener.reset(); // its pipes close: the path leads nowhere now
    AnnounceChange();
}

void HidBus::PlugLater(Slot& slot, std::chrono::milliseconds delay) {
    std::thread([this, &slot, delay] {
        std::this_thread::sleep_for(delay);
        Plug(slot);
        AnnounceChange();
    }).detach();
}

std::vector<BusInterface> HidBus::Present() const {
    std::lock_guard lock(mutex_);
    std::vector<BusInterface> present;
    for (const Slot& slot : slots_) {
        if (slot.device.devInst != 0)
            present.push_back(slot.device);
    }
    return present;
}

std::optional<BusInterface> HidBus::Resolve(HANDLE handle) const {
    // The pipe's name, without the \\.\pipe prefix: a pipe handle tells nothing else about itself.
    alignas(FILE_NAME_INFO) char buffer[sizeof(FILE_NAME_INFO) + 1024];
    if (!GetFileInformationByHandleEx(handle, FileNameInfo, buffer, sizeof buffer))
        return std::nullopt;
    const auto* info = reinterpret_cast<const FILE_NAME_INFO*>(buffer);
    std::string path = R"(\\.\pipe)";
    for (DWORD i = 0; i < info->FileNameLength / sizeof(WCHAR); ++i)
        path += static_cast<char>(info->FileName[i]);
    std::lock_guard lock(mutex_);
    for (const Slot& slot : slots_) {
        if (slot.device.devInst != 0 && slot.device.path == path)
            return slot.device;
    }
    return std::nullopt;
}

ULONG HidBus::InputBuffers(HANDLE handle) const {
    std::lock_guard lock(mutex_);
    auto found = inputBuffers_.find(handle);
    return found == inputBuffers_.end() ? kDefaultInputBuffers : found->second;
}

void HidBus::SetInputBuffers(HANDLE handle, ULONG count) {
    std::lock_guard lock(mutex_);
    inputBuffers_[handle] = count;
}

} // namespace miran::rig
