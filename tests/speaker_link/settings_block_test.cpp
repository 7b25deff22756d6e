// The settings block against the emulated speaker: what a read yields, what sanitising keeps,
// what a write leaves in the flash, and every failure reported as its own error.
#include <speaker_link/settings_block.h>

#include <speaker_link/bridge_protocol.h>
#include <speaker_link/dsp_error.h>

#include <support/emulated_speaker_fixture.h>

#include <functional>
#include <typeinfo>

namespace {

namespace bp = bridge_protocol;
using emulated_speaker::report_fault;
using emulated_speaker::speaker_settings;
using SettingsBlock = EmulatedSpeakerTest;

// Reports of one read: configure 4, ready wait 4, tag 4, nine chunks of 4, release 2.
constexpr std::uint64_t reports_per_read = 50;
// Reports of one write with the emulator's default busy polls (erase 2, program 0):
// configure 4, ready wait 4, tag 4, write enable 4, erase with its write enable and disable
// 10, wait for the erase 2 + 2 x 3 polls, 17 pieces x (ready wait 4, write enable 4,
// settings 2, program 1, ready wait 4), read back 36, release 2.
constexpr std::uint64_t reports_per_write = 4 + 4 + 4 + 4 + 10 + 8 + 17 * 15 + 36 + 2;

template <class Call>
void expect_error(Call call, const std::type_info& expected)
{
    try {
        call();
        ADD_FAILURE() << "no failure reported, " << expected.name() << " expected";
    } catch (const error::dsp_error& e) {
        EXPECT_EQ(typeid(e), expected) << e.what();
    }
}

// Every way out closed the one session it opened, and the fault planned for the row fired.
void expect_session_closed_and_faults_used()
{
    auto& speaker = emulated_speaker::speaker::instance();
    EXPECT_EQ(speaker.open_handle_count(), 0u);
    EXPECT_EQ(speaker.close_count(), speaker.open_count());
    EXPECT_EQ(speaker.exit_count(), 1u);
    EXPECT_THAT(speaker.unused_faults(), ::testing::IsEmpty());
}

TEST_F(SettingsBlock, ReadGivesModelSerialVersionAndPresetCounts)
{
    const struct
    {
        const char* tag;
        const char* model;
        const char* serial;
        std::uint64_t factory_slots;
    } cases[] = {
        {"K5T004711", "K5T", "K-004711", 3},
        {"k5T12", "k5T", "K-12", 3},
        {"K4R0815", "K4R", "K-0815", 2},
        {"k4r0815", "k4r", "K-0815", 2},
        {"K7R123456", "K7R", "K-123456", 2},
        {"K6A12345", "K6", "K-A12345", 2},
        {"K1", "K1", "K-", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tag);
        speaker().set_model_tag(c.tag);
        speaker().clear_history();
        const device_settings settings = read_settings_block();
        EXPECT_EQ(settings.model, c.model);
        EXPECT_EQ(settings.serial, c.serial);
        EXPECT_EQ(settings.firmware_version, "1.0.7");
        EXPECT_EQ(settings.factory_slot_count, c.factory_slots);
        EXPECT_EQ(settings.user_preset_count, 5 - c.factory_slots);
        EXPECT_EQ(settings.settings_block.bytes(),
                  emulated_speaker::encode_settings(emulated_speaker::factory_settings()));
        EXPECT_EQ(speaker().report_count(), reports_per_read);
        EXPECT_EQ(speaker().close_count(), 1u);
        EXPECT_EQ(speaker().exit_count(), 1u);
    }
    expect_flash_unchanged_outside(0x1F0000, 9);
}

TEST_F(SettingsBlock, SanitisingKeepsCodesInRange)
{
    const struct
    {
        const char* name;
        std::function<void(speaker_settings&)> store;
        std::size_t word;
        std::uint32_t expected;
    } cases[] = {
        {"input 2 kept", [](speaker_settings& s) { s.input = 2; }, 0, 2},
        {"input 3 reset", [](speaker_settings& s) { s.input = 3; }, 0, 0},
        {"volume -600 kept", [](speaker_settings& s) { s.volume_tenths_db = -600; }, 1,
         0xFFFFFDA8u},
        {"volume -601 reset", [](speaker_settings& s) { s.volume_tenths_db = -601; }, 1, 0},
        {"volume 120 kept", [](speaker_settings& s) { s.volume_tenths_db = 120; }, 1, 120},
        {"volume 121 reset", [](speaker_settings& s) { s.volume_tenths_db = 121; }, 1, 0},
        {"delay 50 kept", [](speaker_settings& s) { s.delay_tenths_ms = 50; }, 2, 50},
        {"delay 51 reset", [](speaker_settings& s) { s.delay_tenths_ms = 51; }, 2, 0},
        {"frequency 200 clamped",
         [](speaker_settings& s) { s.slots[2].parametric[4].frequency_index = 200; }, 51, 61},
        {"shelf frequency clamped",
         [](speaker_settings& s) { s.slots[4].low_shelf.frequency_index = 62; }, 120, 61},
        {"Q 28 kept", [](speaker_settings& s) { s.slots[1].parametric[0].third_word = 28; }, 22,
         28},
        {"Q 29 reset", [](speaker_settings& s) { s.slots[1].parametric[0].third_word = 29; }, 22,
         0},
        {"gain -120 kept",
         [](speaker_settings& s) { s.slots[0].parametric[5].gain_tenths_db = -120; }, 20,
         0xFFFFFF88u},
        {"gain -121 reset",
         [](speaker_settings& s) { s.slots[0].parametric[5].gain_tenths_db = -121; }, 20, 0},
        {"high shelf gain 121 reset",
         [](speaker_settings& s) { s.slots[3].high_shelf.gain_tenths_db = 121; }, 104, 0},
        {"shelf third word untouched",
         [](speaker_settings& s) { s.slots[3].high_shelf.third_word = 0xFFFFFFFF; }, 103,
         0xFFFFFFFFu},
        {"word 123 reset", [](speaker_settings& s) { s.reserved[0] = 0x70000001; }, 123, 0},
        {"word 124 kept", [](speaker_settings& s) { s.reserved[1] = 0x70000000; }, 124, 0x70000000},
        {"active preset 0", [](speaker_settings& s) { s.active_preset = 0; }, 125, 1},
        {"active preset 6", [](speaker_settings& s) { s.active_preset = 6; }, 125, 1},
        {"active preset 5", [](speaker_settings& s) { s.active_preset = 5; }, 125, 5},
        {"version 1000 kept",
         [](speaker_settings& s) {
             s.firmware_version = {1000, 2, 3};
         },
         127, 2},
        {"version 1001 reset",
         [](speaker_settings& s) {
             s.firmware_version = {1001, 2, 3};
         },
         127, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        speaker_settings stored = emulated_speaker::factory_settings();
        c.store(stored);
        speaker().set_settings(stored);
        const device_settings settings = read_settings_block();
        EXPECT_EQ(settings.settings_block.word(c.word), c.expected);
    }
}

TEST_F(SettingsBlock, VersionAboveOneThousandResetsAllThreeWords)
{
    speaker_settings stored = emulated_speaker::factory_settings();
    stored.firmware_version = {1001, 4, 5};
    speaker().set_settings(stored);
    EXPECT_EQ(read_settings_block().firmware_version, "0.0.0");
}

TEST_F(SettingsBlock, ErasedBlockReadsAsDefaults)
{
    speaker().set_flash(0x1D0000, std::vector<std::uint8_t>(516, 0xFF));
    const device_settings settings = read_settings_block();
    const auto words = emulated_speaker::decode_settings(settings.settings_block.data());
    EXPECT_EQ(words.input, 0u);
    EXPECT_EQ(words.volume_tenths_db, -1);
    EXPECT_EQ(words.delay_tenths_ms, 0u);
    for (const auto& slot : words.slots) {
        for (const auto& band : slot.parametric)
            EXPECT_EQ(band, (emulated_speaker::band_words{61, 0, -1}));
        EXPECT_EQ(slot.high_shelf, (emulated_speaker::band_words{61, 0xFFFFFFFF, -1}));
        EXPECT_EQ(slot.low_shelf, (emulated_speaker::band_words{61, 0xFFFFFFFF, -1}));
    }
    EXPECT_EQ(words.reserved, (std::array<std::uint32_t, 2>{0, 0}));
    EXPECT_EQ(words.active_preset, 1u);
    EXPECT_EQ(settings.firmware_version, "0.0.0");
}

TEST_F(SettingsBlock, WriteStoresTheBlockWithErasedFlashBehindIt)
{
    device_settings settings = read_settings_block();
    settings.settings_block.set_word(1, 0xFFFFFFDB); // -3.7 dB
    settings.settings_block.set_word(57, 35);
    speaker().clear_history();
    write_settings_block(settings);

    const auto stored = speaker().plain(0x1D0000, 516);
    EXPECT_EQ(stored, std::vector<std::uint8_t>(settings.settings_block.bytes().begin(),
                                                settings.settings_block.bytes().end()));
    EXPECT_EQ(speaker().settings().volume_tenths_db, -37);
    EXPECT_EQ(speaker().settings().slots[3].parametric[0].frequency_index, 35u);
    EXPECT_EQ(speaker().flash(0x1D0000 + 516, 0x10000 - 516),
              std::vector<std::uint8_t>(0x10000 - 516, 0xFF));
    expect_flash_unchanged_outside(0x1D0000, 0x10000);
    EXPECT_EQ(speaker().report_count(), reports_per_write);
    EXPECT_EQ(speaker().close_count(), 1u);

    const auto commands = speaker().flash_commands();
    const auto erase = std::find_if(commands.begin(), commands.end(), [](const auto& command) {
        return command.opcode == bp::flash_opcode::block_erase;
    });
    ASSERT_NE(erase, commands.end());
    EXPECT_EQ(erase->bytes, (std::vector<std::uint8_t>{0xD8, 0x1D, 0x00, 0x00}));
}

TEST_F(SettingsBlock, WriteToAnotherModelIsRefusedBeforeAnythingIsErased)
{
    attach("K4R");
    const device_settings settings = read_settings_block();
    speaker().set_model_tag("K5T004711");
    expect_error([&] { write_settings_block(settings); }, typeid(error::wrong_speaker_version));
    expect_flash_unchanged_outside(0x1F0000, 9);

    speaker().set_model_tag("k4R004711");
    expect_error([&] { write_settings_block(settings); }, typeid(error::wrong_speaker_version));
    speaker().set_model_tag("K4R999");
    write_settings_block(settings);
}

TEST_F(SettingsBlock, SpeakerSwappedBetweenReadAndWriteIsRefused)
{
    const device_settings settings = read_settings_block();
    // The write's ready wait is reports 5 to 8: the swap happens as the tag is about to be read.
    speaker().before_report(8, [] { speaker().set_model_tag("K7T004711"); });
    expect_error([&] { write_settings_block(settings); }, typeid(error::wrong_speaker_version));
    expect_flash_unchanged_outside(0x1F0000, 9);
}

TEST_F(SettingsBlock, ReadFailuresAreReportedAsTheirOwnErrors)
{
    const struct
    {
        const char* name;
        std::function<void()> inject;
        const std::type_info& error;
    } cases[] = {
        {"no speaker", [] { speaker().remove_device(); }, typeid(error::dsp_init_failed)},
        {"foreign tag", [] { speaker().set_model_tag("X5R004711"); }, typeid(error::wrong_speaker)},
        {"empty tag", [] { speaker().set_model_tag(""); }, typeid(error::wrong_speaker)},
        {"tag unreadable",
         [] {
             speaker().inject(report_fault::read_fails, {{}, bp::flash_opcode::read}, 1);
         },
         typeid(error::wrong_speaker)},
        {"block chunk unreadable",
         [] {
             speaker().inject(report_fault::write_fails, {{}, bp::flash_opcode::read}, 7);
         },
         typeid(error::read_data_failed)},
        {"block chunk short",
         [] {
             speaker().inject(report_fault::wrong_count, {{}, bp::flash_opcode::read}, 9, 1, 12);
         },
         typeid(error::read_data_failed)},
        {"unplugged while reading", [] { speaker().unplug_after(20); },
         typeid(error::read_data_failed)},
        {"flash stays busy", [] { speaker().hold_busy(emulated_speaker::always); },
         typeid(error::dsp_runtime_error)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        speaker().reset();
        c.inject();
        expect_error([] { read_settings_block(); }, c.error);
        expect_session_closed_and_faults_used();
    }
}

TEST_F(SettingsBlock, FlashStillBusyIsWaitedForBeforeTheTag)
{
    speaker().hold_busy(3);
    EXPECT_EQ(read_settings_block().model, "K5R");
}

TEST_F(SettingsBlock, WriteFailuresAreReportedAsTheirOwnErrors)
{
    const struct
    {
        const char* name;
        std::function<void()> inject;
        const std::type_info& error;
    } cases[] = {
        {"no speaker", [] { speaker().remove_device(); }, typeid(error::dsp_init_failed)},
        {"tag unreadable",
         [] {
             speaker().inject(report_fault::late_reply, {{}, bp::flash_opcode::read}, 1, 1, 0xFF);
         },
         typeid(error::wrong_speaker)},
        {"write enable refused",
         [] {
             speaker().inject(report_fault::bridge_status, {{}, bp::flash_opcode::write_enable}, 0,
                              1, 0xF8);
         },
         typeid(error::write_enable_failed)},
        {"erase refused",
         [] {
             speaker().inject(report_fault::bridge_status, {{}, bp::flash_opcode::block_erase}, 0,
                              1, 0xF7);
         },
         typeid(error::erase_sector_failed)},
        {"unplugged before the erase", [] { speaker().unplug_after(20); },
         typeid(error::erase_sector_failed)},
        {"program lost",
         [] {
             speaker().inject(report_fault::write_fails, {{}, bp::flash_opcode::page_program}, 5);
         },
         typeid(error::write_data_failed)},
        {"program unanswered",
         [] {
             speaker().inject(report_fault::read_fails, {{}, bp::flash_opcode::page_program}, 16);
         },
         typeid(error::write_data_failed)},
        {"write enable not latching",
         [] { speaker().ignore_write_enable(emulated_speaker::always); },
         typeid(error::mismatch_error)},
        {"erase ignored", [] { speaker().ignore_erase(); }, typeid(error::mismatch_error)},
        {"program ignored", [] { speaker().ignore_program(1, 9); }, typeid(error::mismatch_error)},
        {"block protected", [] { speaker().protect_block(0x1D); }, typeid(error::mismatch_error)},
        {"bit flipped on read-back", [] { speaker().flip_bits_on_read(0x1D0010, 0x04); },
         typeid(error::mismatch_error)},
        {"read-back unreadable",
         [] {
             speaker().inject(report_fault::read_fails, {{}, bp::flash_opcode::read}, 8);
         },
         typeid(error::mismatch_error)},
        {"erase never finishes", [] { speaker().set_busy_polls(20000, 0); },
         typeid(error::dsp_runtime_error)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        speaker().reset();
        device_settings settings = read_settings_block();
        // A change that sets bits, so that programming over an unerased block shows.
        settings.settings_block.set_word(2, 50);
        speaker().clear_history();
        c.inject();
        expect_error([&] { write_settings_block(settings); }, c.error);
        expect_flash_unchanged_outside(0x1D0000, 0x10000);
        expect_session_closed_and_faults_used();
        EXPECT_THAT(speaker().violations(), ::testing::IsEmpty());
    }
}

} // namespace
