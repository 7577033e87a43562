#include "CliObserver.h"

#include "JsonText.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <ostream>

namespace miran::cli {

namespace {
constexpr int kBarWidth = 40;
}

CliObserver::CliObserver(Environment& env, Interruption& interruption, bool json, std::string deviceSerial,
                         int blocks, ProgressStyle style)
    : env_(env), interruption_(interruption), json_(json), style_(style),
      deviceSerial_(std::move(deviceSerial)), blocks_(blocks) {}

void CliObserver::ProcessMessages() {
    if (!interruption_.TakeNotice())
        return;
    if (barShown_)
        env_.err << '\n';
    barShown_ = false;
    env_.err << "Interrupted: the update under way runs to its end first, nothing further is started\n";
}

void CliObserver::SetProgressPosition(int position) {
    if (position == 0) {
        if (barShown_)
            env_.err << '\n';
        barShown_ = false;
        return;
    }
    ++block_;
    if (json_) {
        nlohmann::json event = {{"event", "progress"}, {"serial", deviceSerial_}, {"block", block_},
                                {"blocks", blocks_},   {"position", position},    {"maximum", maximum_}};
        env_.out << JsonText(event) << std::endl;
    }
    if (style_ == ProgressStyle::Lines && !json_ && maximum_ > 0) {
        env_.err << deviceSerial_ << ": block " << block_ << '/' << blocks_ << ' '
                 << (std::min(position, maximum_) * 100LL / maximum_) << "%\n";
    } else if (style_ == ProgressStyle::Bar && env_.errIsTerminal && maximum_ > 0) {
        int shown = std::min(position, maximum_);
        int filled = static_cast<int>(static_cast<long long>(shown) * kBarWidth / maximum_);
        env_.err << "\r[" << std::string(filled, '#') << std::string(kBarWidth - filled, ' ') << "] "
                 << (shown * 100LL / maximum_) << "% block " << block_ << '/' << blocks_ << std::flush;
        barShown_ = true;
    }
}

void CliObserver::Beep() {
    if (env_.errIsTerminal)
        env_.err << '\a' << std::flush;
}

} // namespace miran::cli
