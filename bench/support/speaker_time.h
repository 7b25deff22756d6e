// What the speaker benchmarks report beside their CPU time: HID reports per operation, the time
// a real speaker would take (the emulated speaker's virtual clock, which models the USB frames,
// the bridge's clocking at its delays and the flash's busy times) and the floor of 1 ms per HID
// report for the same reports.
#pragma once

#include <emulated_speaker/speaker.h>

#include <benchmark/benchmark.h>

#include <cstdint>
#include <functional>

namespace bench_support {

/// Runs `operation` once per iteration and reports the last run's counts: output reports, the
/// speaker's time and the floor for the same reports, each command being one report out and
/// one back.
inline void run_on_speaker(benchmark::State& state, const std::function<void()>& operation)
{
    emulated_speaker::speaker& speaker = emulated_speaker::speaker::instance();
    std::uint64_t reports = 0;
    std::uint64_t speaker_us = 0;
    for (auto _ : state) {
        speaker.clear_history();
        const std::uint64_t start_us = speaker.clock_us();
        operation();
        speaker_us = speaker.clock_us() - start_us;
        reports = speaker.report_count();
    }
    state.counters["reports"] = static_cast<double>(reports);
    state.counters["speaker_ms"] = static_cast<double>(speaker_us) / 1000.0;
    state.counters["floor_ms"] = static_cast<double>(2 * reports);
    state.counters["time_per_report"] = benchmark::Counter(
        static_cast<double>(reports),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

} // namespace bench_support
