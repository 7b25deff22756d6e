// One injected fault of the emulated speaker: how many matching events it lets pass, how many it
// spoils, and how many it has spoiled, so that a test can see a fault it planned never fired.
#pragma once

#include <emulated_speaker/speaker.h>

#include <cstdint>
#include <string>

namespace emulated_speaker {

struct armed_fault
{
    std::string description;
    std::uint64_t after = 0;
    std::uint64_t times = 1;
    std::uint64_t fired = 0;

    /// Counts one matching event; true when the fault spoils this one.
    bool take()
    {
        if (fired >= times)
            return false;
        if (after > 0) {
            --after;
            return false;
        }
        ++fired;
        return true;
    }
    /// True while events remain to be spoiled.
    bool pending() const { return fired < times; }
    /// True when the fault did not fire as often as it was asked to (once, for `always`).
    bool unused() const { return times == always ? fired == 0 : fired < times; }
};

} // namespace emulated_speaker
