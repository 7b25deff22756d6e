// Builds main settings records for tests in one line.
#pragma once

#include <speaker_link/settings/main_settings.h>

#include <quarro/memory/data_ptr.h>

namespace test_support {

/// A new record (one reference, the caller's) with these four values.
inline memory::data_ptr<main_settings> main_settings_record(quarro::u32 input, double volume,
                                                            double delay, quarro::u32 active)
{
    auto record = memory::make_data_ptr<main_settings>();
    record->input = input;
    record->volume = volume;
    record->delay = delay;
    record->active_preset = active;
    return record;
}

} // namespace test_support
