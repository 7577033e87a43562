// Datagrams from the kernel's uevent socket, as the hot-plug source reads them.
#include "Uevent.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace miran::hid::linux_backend;
    if (const auto event = ParseKernelUevent(reinterpret_cast<const char*>(data), size))
        IsHidrawNodeChange(*event);
    return 0;
}
