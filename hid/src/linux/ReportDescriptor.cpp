#include "ReportDescriptor.h"

#include <algorithm>
#include <map>

namespace miran::hid::linux_backend {

namespace {

enum ItemType { kMain = 0, kGlobal = 1 };
enum MainTag { kInput = 8 };
enum GlobalTag { kReportSize = 7, kReportId = 8, kReportCount = 9, kPush = 10, kPop = 11 };
constexpr std::uint8_t kLongItem = 0xFE;

struct GlobalState {
    std::uint32_t reportSize = 0;
    std::uint32_t reportCount = 0;
    std::uint32_t reportId = 0;
};

} // namespace

InputReportLayout ParseInputReports(const std::vector<std::uint8_t>& descriptor) {
    InputReportLayout layout;
    std::map<std::uint32_t, std::uint64_t> bits; // report ID -> input bits
    GlobalState state;
    std::vector<GlobalState> stack;
    std::size_t i = 0;
    while (i < descriptor.size()) {
        const std::uint8_t prefix = descriptor[i++];
        if (prefix == kLongItem) {
            if (i >= descriptor.size())
                break;
            i += 2 + descriptor[i]; // data size, tag, data
            continue;
        }
        const std::size_t size = (prefix & 3) == 3 ? 4 : (prefix & 3);
        if (i + size > descriptor.size())
            break;
        std::uint32_t value = 0;
        for (std::size_t b = 0; b < size; ++b)
            value |= std::uint32_t(descriptor[i + b]) << (8 * b);
        i += size;
        const int type = (prefix >> 2) & 3;
        const int tag = prefix >> 4;
        if (type == kMain && tag == kInput) {
            bits[state.reportId] += std::uint64_t(state.reportSize) * state.reportCount;
        } else if (type == kGlobal) {
            switch (tag) {
            case kReportSize:
                state.reportSize = value;
                break;
            case kReportCount:
                state.reportCount = value;
                break;
            case kReportId:
                state.reportId = value;
                layout.numbered = true;
                break;
            case kPush:
                stack.push_back(state);
                break;
            case kPop:
                if (!stack.empty()) {
                    state = stack.back();
                    stack.pop_back();
                }
                break;
            default:
                break;
            }
        }
    }
    std::uint64_t longest = 0;
    for (const auto& [id, count] : bits)
        longest = std::max(longest, (count + 7) / 8);
    if (longest > 0)
        layout.length = static_cast<std::uint16_t>(std::min<std::uint64_t>(longest + 1, 0xFFFF));
    return layout;
}

} // namespace miran::hid::linux_backend
