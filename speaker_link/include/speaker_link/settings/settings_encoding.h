// The settings encodings: between the block's integer codes (tenths of a dB, tenths of a ms,
// table indexes) and the records the rest of the system works with. Nothing here talks to the
// speaker; every routine works on a record in memory and touches only that record.
#pragma once

#include <speaker_link/settings/main_settings.h>
#include <speaker_link/settings/preset.h>
#include <speaker_link/settings/settings_block.h>

#include <quarro/memory/data_ptr.h>
#include <quarro/types.h>

#include <array>

/// Band frequencies in Hz, index 0..61.
extern const std::array<quarro::f64, 62> frequency_table;
/// Q values, index 0..28.
extern const std::array<quarro::f64, 29> q_table;

/// A new main settings record (one reference, the caller's) from words 0, 1, 2 and 125;
/// input, volume and delay limited to their ranges.
memory::data_ptr<main_settings> decode_main_settings(const device_settings& settings);

/// Writes input, volume, delay and active preset into words 0, 1, 2 and 125. Volume and delay
/// are limited to their ranges first (NaN counts as 0). A null record changes nothing.
void encode_main_settings(device_settings& settings, const memory::data_ptr<main_settings>& record);

/// A new preset (one reference, the caller's) named "User Preset " and n + 1, from user
/// preset n, which lives in slot factory_slot_count + n. Throws err::runtime_error when n is
/// not below user_preset_count.
memory::data_ptr<preset> decode_user_preset(const device_settings& settings, quarro::u64 n);

/// Writes the preset's gains, frequencies and Qs into user preset n (gains limited to
/// -12..12 dB, NaN counting as 0); its name, types and shelf Qs are not stored. A null preset
/// changes nothing. Throws err::runtime_error when n is not below user_preset_count; no
/// other slot is ever touched.
void encode_user_preset(device_settings& settings, quarro::u64 n,
                        const memory::data_ptr<preset>& record);

/// The nearest frequency_table index (an exact midpoint goes up); NaN gives 0.
quarro::u32 frequency_to_step(quarro::f64 frequency);

/// The nearest q_table index (an exact midpoint goes up); NaN gives 0.
quarro::u32 q_to_step(quarro::f64 q);

/// Words 126, 127, 128 become a, b, c and firmware_version their text joined by ".".
void set_firmware_version(device_settings& settings, quarro::u32 a, quarro::u32 b, quarro::u32 c);
