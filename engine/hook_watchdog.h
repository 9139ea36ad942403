#pragma once
// Windows removes a low-level hook whose callback once missed its time-out, without notice.
// Raw input reaches the program outside the hook chain and has no time-out, so a raw key event
// that the hook has not seen shortly afterwards means the hook is gone.
#include <cstdint>
#include <utility>

class HookWatchdog {
public:
    // Nothing promises that raw input and the hook stamp one key alike: a raw event newer than
    // the hook's latest by no more than this is the same key. A dead hook is still found at
    // the next key, whose time is later by far.
    static constexpr std::int32_t kSkewMs = 100;

    // A raw key event stamped `time` arrived. True when a check is to be scheduled; while one
    // is pending, it covers the later events too. The hook sees an event before its raw input
    // is delivered, so a live hook has always seen the latest raw event.
    bool OnRawKey(std::uint32_t time) {
        rawTime_ = time;
        return !std::exchange(pending_, true);
    }
    // The scheduled check, given the time stamp of the latest event the hook saw: true when
    // the hook missed the latest raw event and must be installed again.
    bool HookLost(std::uint32_t lastHookTime) {
        if (!pending_) return false;
        pending_ = false;
        // Millisecond ticks wrap after 49.7 days; the signed difference survives that.
        return static_cast<std::int32_t>(rawTime_ - lastHookTime) > kSkewMs;
    }

private:
    bool pending_ = false;
    std::uint32_t rawTime_ = 0;
};
