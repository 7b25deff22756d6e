// Reading, writing and resetting the settings block through the emulated speaker: HID reports
// per operation, the time a real speaker takes for them beside the floor of 1 ms per HID
// report, and the CPU time per operation.
#include <speaker_link/settings/main_settings.h>
#include <speaker_link/settings/preset.h>
#include <speaker_link/settings/settings_block.h>
#include <speaker_link/settings/settings_encoding.h>

#include <emulated_speaker/speaker.h>

#include <support/speaker_time.h>

#include <benchmark/benchmark.h>

namespace {

emulated_speaker::speaker& attached_speaker()
{
    emulated_speaker::speaker& speaker = emulated_speaker::speaker::instance();
    speaker.reset("K5R");
    return speaker;
}

using bench_support::run_on_speaker;

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
