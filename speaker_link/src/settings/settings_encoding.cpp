// The settings encodings over the block layout.
#include <speaker_link/settings/settings_encoding.h>

#include <quarro/err/exception.h>
#include <quarro/tools/number_text.h>

#include <algorithm>
#include <cmath>
#include <string>

const std::array<quarro::f64, 62> frequency_table = {
    20,   22,   24,   26,    29,    32,    36,    40,    45,    50,   56,   63,   71,
    80,   90,   100,  112,   125,   140,   160,   180,   200,   224,  250,  280,  315,
    355,  400,  450,  500,   560,   630,   710,   800,   900,   1000, 1100, 1200, 1400,
    1600, 1800, 2000, 2300,  2500,  2800,  3200,  3600,  4000,  4500, 5000, 5600, 6300,
    7100, 8000, 9000, 10000, 11200, 12500, 14000, 16000, 18000, 20000};

const std::array<quarro::f64, 29> q_table = {0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9, 1.0,
                                             2,   3,   4,   5,   6,   7,   8,   9,   10,  11,
                                             12,  13,  14,  15,  16,  17,  18,  19,  20};

namespace {

namespace layout = settings_layout;
using quarro::f64;
using quarro::i32;
using quarro::u32;
using quarro::u64;

constexpr f64 volume_min_db = -60.0;
constexpr f64 volume_max_db = 12.0;
constexpr f64 delay_max_ms = 5.0;
constexpr f64 gain_limit_db = 12.0;

// NaN becomes 0 and infinities their end of the range, before any conversion to an integer.
f64 limited(f64 value, f64 low, f64 high)
{
    if (std::isnan(value))
        value = 0.0;
    return std::min(std::max(value, low), high);
}

// Tenths, rounded by a hundredth toward the larger magnitude and then truncated, so that
// values with one decimal survive the binary fraction.
i32 tenths_code(f64 value)
{
    return static_cast<i32>(value >= 0.0 ? value * 10.0 + 0.01 : value * 10.0 - 0.01);
}

f64 decoded_gain(const settings_block& block, std::size_t word)
{
    return std::min(std::max(block.signed_word(word) / 10.0, -gain_limit_db), gain_limit_db);
}

template <std::size_t N>
f64 table_entry(const std::array<f64, N>& table, u32 index)
{
    return table[std::min<std::size_t>(index, N - 1)];
}

template <std::size_t N>
u32 nearest_step(const std::array<f64, N>& table, f64 x)
{
    if (std::isnan(x))
        return 0;
    std::size_t lower = 0;
    for (std::size_t i = 0; i + 1 < N; ++i)
        if (table[i] < x)
            lower = i;
    const f64 midpoint = (table[lower] + table[lower + 1]) * 0.5;
    return static_cast<u32>(midpoint > x ? lower : lower + 1);
}

std::size_t user_slot(const device_settings& settings, u64 n)
{
    if (n >= settings.user_preset_count || settings.factory_slot_count + n >= layout::slot_count) {
        std::string message = "User preset ";
        quarro::append_unsigned(message, n + 1, 1);
        message += " does not exist on this speaker";
        throw err::runtime_error(message);
    }
    return static_cast<std::size_t>(settings.factory_slot_count + n);
}

void put_band(settings_block& block, const layout::band_words& words, const eq_band& band,
              bool with_q)
{
    block.set_signed_word(words.gain,
                          tenths_code(limited(band.gain, -gain_limit_db, gain_limit_db)));
    block.set_word(words.frequency, frequency_to_step(band.frequency));
    if (with_q)
        block.set_word(words.third, q_to_step(band.q));
}

void take_band(const settings_block& block, const layout::band_words& words, eq_band& band,
               bool with_q)
{
    band.gain = decoded_gain(block, words.gain);
    band.frequency = table_entry(frequency_table, block.word(words.frequency));
    if (with_q)
        band.q = table_entry(q_table, block.word(words.third));
}

layout::band_words words_of_band(std::size_t slot, std::size_t band)
{
    if (band == 0)
        return layout::low_shelf(slot);
    if (band == preset::band_count - 1)
        return layout::high_shelf(slot);
    return layout::parametric_band(slot, band - 1);
}

bool is_parametric(std::size_t band)
{
    return band != 0 && band != preset::band_count - 1;
}

} // namespace

memory::data_ptr<main_settings> decode_main_settings(const device_settings& settings)
{
    const settings_block& block = settings.settings_block;
    auto record = memory::make_data_ptr<main_settings>();
    const u32 input = block.word(layout::input);
    record->input = input >= layout::input_count ? 0 : input;
    record->volume =
        std::min(std::max(block.signed_word(layout::volume) / 10.0, volume_min_db), volume_max_db);
    record->delay = std::min(block.word(layout::delay) / 10.0, delay_max_ms);
    record->active_preset = block.word(layout::active_preset);
    return record;
}

void encode_main_settings(device_settings& settings, const memory::data_ptr<main_settings>& record)
{
    if (!record)
        return;
    settings_block& block = settings.settings_block;
    block.set_word(layout::input, record->input);
    block.set_signed_word(layout::volume,
                          tenths_code(limited(record->volume, volume_min_db, volume_max_db)));
    block.set_word(layout::delay,
                   static_cast<u32>(tenths_code(limited(record->delay, 0.0, delay_max_ms))));
    block.set_word(layout::active_preset, record->active_preset);
}

memory::data_ptr<preset> decode_user_preset(const device_settings& settings, u64 n)
{
    const std::size_t slot = user_slot(settings, n);
    auto record = memory::make_data_ptr<preset>();
    record->name = "User Preset ";
    quarro::append_unsigned(record->name, n + 1, 1);
    for (std::size_t band = 0; band < preset::band_count; ++band)
        take_band(settings.settings_block, words_of_band(slot, band), *record->bands[band],
                  is_parametric(band));
    return record;
}

void encode_user_preset(device_settings& settings, u64 n, const memory::data_ptr<preset>& record)
{
    const std::size_t slot = user_slot(settings, n);
    if (!record)
        return;
    for (std::size_t band = 0; band < preset::band_count; ++band)
        if (record->bands[band])
            put_band(settings.settings_block, words_of_band(slot, band), *record->bands[band],
                     is_parametric(band));
}

u32 frequency_to_step(f64 frequency)
{
    return nearest_step(frequency_table, frequency);
}

u32 q_to_step(f64 q)
{
    return nearest_step(q_table, q);
}

void set_firmware_version(device_settings& settings, u32 a, u32 b, u32 c)
{
    const u32 numbers[] = {a, b, c};
    settings.firmware_version.clear();
    for (std::size_t i = 0; i < 3; ++i) {
        settings.settings_block.set_word(layout::firmware_version + i, numbers[i]);
        if (i > 0)
            settings.firmware_version += '.';
        quarro::append_unsigned(settings.firmware_version, numbers[i], 1);
    }
}
