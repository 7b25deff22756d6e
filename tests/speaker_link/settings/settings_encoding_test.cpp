// The settings encodings, checked against the emulated speaker's own decoder and encoder; the
// way through the speaker is checked by the dsp_control tests.
#include <speaker_link/settings/settings_encoding.h>

#include <speaker_link/settings/settings_block.h>

#include <emulated_speaker/speaker_settings.h>
#include <support/error_text.h>
#include <support/main_settings_record.h>

#include <quarro/err/exception.h>

#include <gtest/gtest.h>

#include <limits>

namespace {

using emulated_speaker::speaker_settings;
using test_support::main_settings_record;

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();

// A record whose block the emulator's encoder made.
device_settings record_of(const speaker_settings& words, std::uint64_t factory_slots = 2)
{
    device_settings settings;
    const auto bytes = emulated_speaker::encode_settings(words);
    std::copy(bytes.begin(), bytes.end(), settings.settings_block.data());
    settings.factory_slot_count = factory_slots;
    settings.user_preset_count = 5 - factory_slots;
    return settings;
}

speaker_settings words_of(const device_settings& settings)
{
    return emulated_speaker::decode_settings(settings.settings_block.data());
}

TEST(SettingsEncoding, DecodesMainSettingsWithinTheirRanges)
{
    const struct
    {
        std::uint32_t input;
        std::int32_t volume;
        std::uint32_t delay;
        std::uint32_t expected_input;
        double expected_volume;
        double expected_delay;
    } cases[] = {
        {2, -37, 3, 2, -3.7, 0.3},   {3, -601, 60, 0, -60.0, 5.0}, {1, 125, 50, 1, 12.0, 5.0},
        {0, -600, 0, 0, -60.0, 0.0}, {7, 120, 1, 0, 12.0, 0.1},
    };
    for (const auto& c : cases) {
        speaker_settings words = emulated_speaker::factory_settings();
        words.input = c.input;
        words.volume_tenths_db = c.volume;
        words.delay_tenths_ms = c.delay;
        words.active_preset = 3;
        const auto record = decode_main_settings(record_of(words));
        EXPECT_EQ(record->input, c.expected_input) << c.input;
        EXPECT_DOUBLE_EQ(record->volume, c.expected_volume) << c.volume;
        EXPECT_DOUBLE_EQ(record->delay, c.expected_delay) << c.delay;
        EXPECT_EQ(record->active_preset, 3u);
    }
}

// That no other word changes is checked word for word through dsp_control.
TEST(SettingsEncoding, EncodesMainSettingsAsTenthsWithinTheirRanges)
{
    const struct
    {
        double volume;
        double delay;
        std::int32_t volume_code;
        std::uint32_t delay_code;
    } cases[] = {
        {-3.7, 0.3, -37, 3},
        {0.05, 0.0, 0, 0},
        {-0.05, 5.0, 0, 50},
        {12.0, 1.25, 120, 12},
        {-1.25, 4.99, -12, 49},
        {-60.0, 2.2, -600, 22},
        {nan, nan, 0, 0},
        {infinity, infinity, 120, 50},
        {-infinity, -infinity, -600, 0},
        {-61.0, -0.3, -600, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.volume);
        device_settings settings = record_of(emulated_speaker::factory_settings());
        encode_main_settings(settings, main_settings_record(1, c.volume, c.delay, 4));
        const speaker_settings words = words_of(settings);
        EXPECT_EQ(words.volume_tenths_db, c.volume_code);
        EXPECT_EQ(words.delay_tenths_ms, c.delay_code);
        EXPECT_EQ(words.input, 1u);
        EXPECT_EQ(words.active_preset, 4u);
    }
}

// Which slot each user preset takes on each model is checked through dsp_control.
TEST(SettingsEncoding, EncodesUserPresetBandsWithinTheirRanges)
{
    device_settings settings = record_of(emulated_speaker::factory_settings(), 3);
    auto record = memory::make_data_ptr<preset>();
    record->bands[0]->gain = -4.5;
    record->bands[0]->frequency = 100.0;
    record->bands[0]->q = 20.0; // shelves keep no Q
    record->bands[1]->gain = 3.7;
    record->bands[1]->frequency = 1000.0;
    record->bands[1]->q = 1.5;
    record->bands[6]->gain = -13.0;
    record->bands[6]->frequency = 25000.0;
    record->bands[6]->q = 25.0;
    record->bands[7]->gain = nan;
    record->bands[7]->frequency = 1050.0;
    encode_user_preset(settings, 1, record);

    speaker_settings expected = emulated_speaker::factory_settings();
    auto& slot = expected.slots[4];
    slot.low_shelf.gain_tenths_db = -45;
    slot.low_shelf.frequency_index = 15;
    slot.parametric[0] = {35, 10, 37};
    for (std::size_t band = 1; band < 5; ++band)
        slot.parametric[band] = {0, 0, 0};
    slot.parametric[5] = {61, 28, -120};
    slot.high_shelf.gain_tenths_db = 0;
    slot.high_shelf.frequency_index = 36;
    EXPECT_EQ(settings.settings_block.bytes(), emulated_speaker::encode_settings(expected));
}

TEST(SettingsEncoding, DecodesUserPresetFromItsSlot)
{
    speaker_settings words = emulated_speaker::factory_settings();
    auto& slot = words.slots[3];
    slot.low_shelf = {15, 0xFFFFFFFF, -45};
    slot.parametric[2] = {200, 40, -130};
    slot.high_shelf = {61, 7, 125};
    const auto record = decode_user_preset(record_of(words, 3), 0);
    EXPECT_EQ(record->name, "User Preset 1");
    EXPECT_EQ(record->bands[0]->type, eq_band_type::low_shelf);
    EXPECT_DOUBLE_EQ(record->bands[0]->gain, -4.5);
    EXPECT_EQ(record->bands[0]->frequency, 100.0);
    EXPECT_EQ(record->bands[0]->q, 0.1) << "a shelf keeps the default Q";
    EXPECT_EQ(record->bands[3]->gain, -12.0);
    EXPECT_EQ(record->bands[3]->frequency, 20000.0);
    EXPECT_EQ(record->bands[3]->q, 20.0);
    EXPECT_EQ(record->bands[7]->type, eq_band_type::high_shelf);
    EXPECT_EQ(record->bands[7]->gain, 12.0);
    EXPECT_EQ(decode_user_preset(record_of(words, 3), 1)->name, "User Preset 2");
}

TEST(SettingsEncoding, PresetNumberBeyondTheSpeakersPresetsIsRefused)
{
    const struct
    {
        std::uint64_t factory_slots;
        std::uint64_t preset;
    } cases[] = {{3, 2}, {2, 3}, {2, 1000}, {0, 0}};
    for (const auto& c : cases) {
        device_settings settings = record_of(emulated_speaker::factory_settings(), c.factory_slots);
        if (c.factory_slots == 0)
            settings.user_preset_count = 0;
        const auto before = settings.settings_block.bytes();
        EXPECT_THROW(encode_user_preset(settings, c.preset, memory::make_data_ptr<preset>()),
                     err::runtime_error);
        EXPECT_THROW(decode_user_preset(settings, c.preset), err::runtime_error);
        EXPECT_EQ(settings.settings_block.bytes(), before);
    }
    EXPECT_EQ(test_support::error_text<err::runtime_error>([] {
                  decode_user_preset(record_of(emulated_speaker::factory_settings(), 3), 2);
              }),
              "User preset 3 does not exist on this speaker");
}

TEST(SettingsEncoding, StepsGoToTheNearestEntryAndMidpointsUp)
{
    const struct
    {
        double frequency;
        std::uint32_t step;
    } frequencies[] = {{1000, 35},     {1050, 36},     {1049.9, 35}, {25000, 61}, {20, 0},
                       {19.0, 0},      {-5, 0},        {19000, 61},  {18999, 60}, {21, 1},
                       {infinity, 61}, {-infinity, 0}, {nan, 0}};
    for (const auto& c : frequencies)
        EXPECT_EQ(frequency_to_step(c.frequency), c.step) << c.frequency;
    const struct
    {
        double q;
        std::uint32_t step;
    } qs[] = {{1.5, 10},  {0.15, 0},   {25, 28}, {0.1, 0}, {0.0, 0},
              {19.5, 28}, {19.49, 27}, {1.0, 9}, {nan, 0}};
    for (const auto& c : qs)
        EXPECT_EQ(q_to_step(c.q), c.step) << c.q;
}

// The speaker's own steps, written out here once: a wrong entry in the encoder's tables shows
// both in the table and in the step it gives back.
TEST(SettingsEncoding, TablesHoldTheSpeakersSixtyTwoFrequenciesAndTwentyNineQs)
{
    const std::array<double, 62> frequencies = {
        20,    22,    24,    26,    29,    32,    36,    40,    45,    50,    56,
        63,    71,    80,    90,    100,   112,   125,   140,   160,   180,   200,
        224,   250,   280,   315,   355,   400,   450,   500,   560,   630,   710,
        800,   900,   1000,  1100,  1200,  1400,  1600,  1800,  2000,  2300,  2500,
        2800,  3200,  3600,  4000,  4500,  5000,  5600,  6300,  7100,  8000,  9000,
        10000, 11200, 12500, 14000, 16000, 18000, 20000};
    const std::array<double, 29> qs = {0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9, 1.0,
                                       2,   3,   4,   5,   6,   7,   8,   9,   10,  11,
                                       12,  13,  14,  15,  16,  17,  18,  19,  20};
    EXPECT_EQ(frequency_table, frequencies);
    EXPECT_EQ(q_table, qs);
    for (std::size_t i = 0; i < frequencies.size(); ++i)
        EXPECT_EQ(frequency_to_step(frequencies[i]), i) << frequencies[i];
    for (std::size_t i = 0; i < qs.size(); ++i)
        EXPECT_EQ(q_to_step(qs[i]), i) << qs[i];
}

// The knob reaches its values by adding steps, so most of them carry a binary rest just below
// the tenth (-60 + 0.1 x 164 is -43.599999...): each must still be stored as its tenth.
TEST(SettingsEncoding, EveryKnobVolumeAndDelayIsStoredAsItsTenth)
{
    device_settings settings = record_of(emulated_speaker::factory_settings());
    for (int step = 0; step <= 720; ++step) {
        const double volume = -60.0 + 0.1 * step;
        const double delay = 0.1 * (step % 51);
        encode_main_settings(settings, main_settings_record(0, volume, delay, 1));
        const speaker_settings words = words_of(settings);
        ASSERT_EQ(words.volume_tenths_db, -600 + step) << volume;
        ASSERT_EQ(words.delay_tenths_ms, static_cast<std::uint32_t>(step % 51)) << delay;
    }
}

TEST(SettingsEncoding, SetFirmwareVersionWritesWordsAndText)
{
    device_settings settings = record_of(emulated_speaker::factory_settings());
    settings.firmware_version = "9.9.9";
    set_firmware_version(settings, 1, 0, 8);
    EXPECT_EQ(settings.firmware_version, "1.0.8");
    EXPECT_EQ(words_of(settings).firmware_version, (std::array<std::uint32_t, 3>{1, 0, 8}));
    set_firmware_version(settings, 4294967295u, 10, 200);
    EXPECT_EQ(settings.firmware_version, "4294967295.10.200");
}

} // namespace
