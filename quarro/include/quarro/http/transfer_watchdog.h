// The progress watchdog of a transfer: whether it has received too little for too long.
#pragma once

#include <quarro/types.h>

#include <deque>
#include <string>

namespace quarro {

/// Judges a transfer by the amounts it has received, looked at now and then: it has stalled
/// once it received fewer than minimum_bytes within a span longer than the limit, whether
/// nothing came at all or only a trickle. The transfer's start counts as a look at 0 bytes.
/// Used on one thread; memory stays bounded however long the transfer runs.
class transfer_watchdog
{
public:
    /// Less than this within the limit is a stall.
    static constexpr u64 minimum_bytes = 1024;

    /// A transfer that started at `start_ms` and may take at most `limit_ms` for
    /// minimum_bytes.
    transfer_watchdog(u32 limit_ms, u64 start_ms);

    /// Notes that `amount` bytes in all have arrived by `now_ms` (neither ever goes back) and
    /// returns true when the transfer has stalled; reason() then says how.
    bool stalled(u64 now_ms, u64 amount);
    /// How the transfer stalled, such as "only 60 bytes in 61000 ms"; empty before.
    const std::string& reason() const noexcept { return reason_; }

private:
    struct look
    {
        u64 time_ms;
        u64 amount;
    };

    u32 limit_ms_;
    // The first time each amount was seen, oldest first, for the amounts within
    // minimum_bytes - 1 of the newest: the oldest of them begins the longest span that brought
    // too little. Older looks can never begin such a span again, since amounts only grow, so
    // at most minimum_bytes of them are kept.
    std::deque<look> looks_;
    std::string reason_;
};

} // namespace quarro
