// The progress watchdog of a transfer.
#include <quarro/http/transfer_watchdog.h>

namespace quarro {

transfer_watchdog::transfer_watchdog(u32 limit_ms, u64 start_ms)
    : limit_ms_(limit_ms), looks_{{start_ms, 0}}
{}

bool transfer_watchdog::stalled(u64 now_ms, u64 amount)
{
    if (amount != looks_.back().amount)
        looks_.push_back({now_ms, amount});
    while (looks_.front().amount + (minimum_bytes - 1) < amount)
        looks_.pop_front();
    // Since the oldest look kept, at most minimum_bytes - 1 arrived; before it, more did.
    const look& first = looks_.front();
    if (now_ms <= first.time_ms + limit_ms_)
        return false;
    const std::string span = std::to_string(now_ms - first.time_ms) + " ms";
    reason_ = amount == first.amount
                  ? "no data for " + span
                  : "only " + std::to_string(amount - first.amount) + " bytes in " + span;
    return true;
}

} // namespace quarro
