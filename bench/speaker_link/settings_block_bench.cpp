// Reading, writing and resetting the settings block through the emulated speaker: HID reports
// per operation, the time a real speaker takes for them (the emulated speaker's virtual clock,
// which models the USB frames, the bridge's clocking at its power-up delays and the flash's
// busy times) beside the floor of 1 ms per HID report, and the CPU time per operation.
#include <speaker_link/main_settings.h>
#include <speaker_link/preset.h>
#include <speaker_link/settings_block.h>
#include <speaker_link/settings_encoding.h>

#include <emulated_speaker/speaker.h>

#include <benchmark/benchmark.h>

#include <cstdint>
#include <functional>

namespace {

emulated_speaker::speaker& attached_speaker()
{
    emulated_speaker::speaker& speaker = emulated_speaker::speaker::instance();
    speaker.reset("K5R");
    return speaker;
}

// Runs `operation` once per iteration and reports the last run's counts: output reports, the
// speaker's time and the floor for the same reports, each command being one report out and one
// back.
void run_on_speaker(benchmark::State& state, const std::function<void()>& operation)
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

void BM_ReadSettingsBlock(benchmark::State& state)
{
    attached_speaker();
    run_on_speaker(state, [] {
        device_settings settings = read_settings_block();
        benchmark::DoNotOptimize(settings);
    });
}

void BM_WriteSettingsBlock(benchmark::State& state)
{
    attached_speaker();
    const device_settings settings = read_settings_block();
    run_on_speaker(state, [&] { write_settings_block(settings); });
}

// What the panel's reset sends: the block read, the main settings and every user preset set
// to their defaults, the block written.
void BM_ResetSettingsBlock(benchmark::State& state)
{
    attached_speaker();
    run_on_speaker(state, [] {
        device_settings settings = read_settings_block();
        auto defaults = memory::make_data_ptr<main_settings>();
        defaults->active_preset = 2;
        encode_main_settings(settings, defaults);
        const auto default_preset = memory::make_data_ptr<preset>();
        for (quarro::u64 index = 0; index < settings.user_preset_count; ++index)
            encode_user_preset(settings, index, default_preset);
        write_settings_block(settings);
    });
}

BENCHMARK(BM_ReadSettingsBlock)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WriteSettingsBlock)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ResetSettingsBlock)->Unit(benchmark::kMicrosecond);

} // namespace
