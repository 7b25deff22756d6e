// Reading and writing the settings block through the emulated speaker: HID reports per
// operation (machine-independent, fixed by the algorithm) and CPU time per operation and per
// report.
#include <speaker_link/settings_block.h>

#include <emulated_speaker/speaker.h>

#include <benchmark/benchmark.h>

#include <cstdint>

namespace {

emulated_speaker::speaker& attached_speaker()
{
    emulated_speaker::speaker& speaker = emulated_speaker::speaker::instance();
    speaker.reset("K5R");
    return speaker;
}

void report_counts(benchmark::State& state, std::uint64_t reports)
{
    state.counters["reports"] = static_cast<double>(reports);
    state.counters["time_per_report"] = benchmark::Counter(
        static_cast<double>(reports),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_ReadSettingsBlock(benchmark::State& state)
{
    emulated_speaker::speaker& speaker = attached_speaker();
    std::uint64_t reports = 0;
    for (auto _ : state) {
        speaker.clear_history();
        device_settings settings = read_settings_block();
        benchmark::DoNotOptimize(settings);
        reports = speaker.report_count();
    }
    report_counts(state, reports);
}

void BM_WriteSettingsBlock(benchmark::State& state)
{
    emulated_speaker::speaker& speaker = attached_speaker();
    device_settings settings = read_settings_block();
    std::uint64_t reports = 0;
    for (auto _ : state) {
        speaker.clear_history();
        write_settings_block(settings);
        reports = speaker.report_count();
    }
    report_counts(state, reports);
}

BENCHMARK(BM_ReadSettingsBlock)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WriteSettingsBlock)->Unit(benchmark::kMicrosecond);

} // namespace
