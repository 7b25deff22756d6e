// A dsp_control that has read the attached speaker, for the benchmarks that install firmware.
#pragma once

#include <speaker_link/dsp_control.h>

#include <support/recording_callback.h>

#include <benchmark/benchmark.h>

namespace bench_support {

/// A dsp_control reporting to `callback` that has read the speaker; null, with the benchmark
/// stopped with an error, when the read failed.
inline memory::data_ptr<dsp_control> connected_control(benchmark::State& state,
                                                       test_support::recording_callback& callback)
{
    auto control = memory::make_data_ptr<dsp_control>(callback);
    control->read_main_settings_from_device();
    if (callback.next() != "speaker_changed") {
        state.SkipWithError("the speaker could not be read");
        return nullptr;
    }
    return control;
}

} // namespace bench_support
