// The settings block against the emulated speaker: what a read yields, what sanitising keeps,
// what a write leaves in the flash, and every failure reported as its own error.
#include <speaker_link/settings/settings_block.h>

#include <speaker_link/device/bridge_protocol.h>
#include <speaker_link/device/dsp_error.h>
#include <speaker_link/device/dsp_session.h>

#include <support/emulated_speaker_fixture.h>
#include <support/error_text.h>
#include <support/open_bridge.h>

#include <quarro/err/exception.h>

#include <algorithm>
#include <functional>
#include <typeinfo>

namespace {

namespace bp = bridge_protocol;
using emulated_speaker::report_fault;
using emulated_speaker::speaker_settings;
using SettingsBlock = EmulatedSpeakerTest;
using test_support::expect_error;

// Reports of one write with the flash's typical busy times: 425 accepted (among them the
// "finished" round trip of each of its 90 flash commands) and 46 busy answers retried.
constexpr std::uint64_t reports_per_write = 425 + 46;

// A fault on the reports of one flash command: `after` of them pass first.
std::function<void()> on_flash(report_fault kind, std::uint8_t opcode, std::uint64_t after,
                               std::uint8_t value = 0)
{
    return [=] {
        emulated_speaker::speaker::instance().inject(kind, {{}, opcode}, after, 1, value);
    };
}

std::vector<std::uint8_t> bytes_of(const device_settings& settings)
{
    return {settings.settings_block.bytes().begin(), settings.settings_block.bytes().end()};
}

// Every way out closed the one session it opened, the fault planned for the row fired, and the
// speaker saw nothing it would not take.
void expect_session_closed_and_faults_used()
{
    auto& speaker = emulated_speaker::speaker::instance();
    EXPECT_EQ(speaker.open_handle_count(), 0u);
    EXPECT_EQ(speaker.close_count(), speaker.open_count());
    EXPECT_EQ(speaker.exit_count(), 1u);
    EXPECT_THAT(speaker.unused_faults(), ::testing::IsEmpty());
    EXPECT_THAT(speaker.violations(), ::testing::IsEmpty());
}

TEST_F(SettingsBlock, SanitisingKeepsCodesInRange)
{
    const struct
    {
        const char* name;
        std::size_t word;
        std::uint32_t stored;
        std::uint32_t expected;
    } cases[] = {
        {"input 3 reset", 0, 3, 0},
        {"volume -601 reset", 1, 0xFFFFFDA7u, 0},
        {"volume 120 kept", 1, 120, 120},
        {"volume 121 reset", 1, 121, 0},
        {"delay 51 reset", 2, 51, 0},
        {"slot 2 band 4 frequency 200 clamped", 51, 200, 61},
        {"slot 1 band 0 Q 29 reset", 22, 29, 0},
        {"slot 0 band 5 gain -121 reset", 20, 0xFFFFFF87u, 0},
        {"slot 3 high shelf third word untouched", 103, 0xFFFFFFFFu, 0xFFFFFFFFu},
        {"word 123 reset", 123, 0x70000001u, 0},
        {"word 124 kept", 124, 0x70000000u, 0x70000000u},
        {"active preset 0", 125, 0, 1},
        {"version 1000 kept", 126, 1000, 1000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto block = emulated_speaker::encode_settings(emulated_speaker::factory_settings());
        for (std::size_t i = 0; i < 4; ++i)
            block[4 * c.word + i] = static_cast<std::uint8_t>(c.stored >> (8 * i));
        speaker().set_plain(bp::settings_block_address, {block.begin(), block.end()});
        EXPECT_EQ(read_settings_block().settings_block.word(c.word), c.expected);
    }
}

// A word beyond the block is one of the system's own errors, which a worker logs.
TEST(SettingsBlockWords, WordBeyondTheBlockIsAnErrorOfTheSystem)
{
    settings_block block;
    EXPECT_EQ(test_support::error_text<err::runtime_error>([&] { block.word(129); }),
              "Settings block word 129 does not exist");
    EXPECT_EQ(test_support::error_text<err::runtime_error>([&] { block.set_word(129, 1); }),
              "Settings block word 129 does not exist");
}

TEST_F(SettingsBlock, ErasedBlockReadsAsDefaults)
{
    speaker().set_flash(0x1D0000, std::vector<std::uint8_t>(516, 0xFF));
    const device_settings settings = read_settings_block();
    // Each word's own rule is pinned by the sanitising table; here all of them at once.
    const auto words = emulated_speaker::decode_settings(settings.settings_block.data());
    EXPECT_EQ(words.input, 0u);
    EXPECT_EQ(words.volume_tenths_db, -1);
    EXPECT_EQ(words.slots[4].parametric[5], (emulated_speaker::band_words{61, 0, -1}));
    EXPECT_EQ(words.slots[0].low_shelf, (emulated_speaker::band_words{61, 0xFFFFFFFF, -1}));
    EXPECT_EQ(words.active_preset, 1u);
    EXPECT_EQ(settings.firmware_version, "0.0.0");
}

TEST_F(SettingsBlock, WriteToAnotherModelIsRefusedBeforeAnythingIsErased)
{
    attach("K4R");
    const device_settings settings = read_settings_block();
    for (const char* tag : {"K5T004711", "k4R004711"}) {
        speaker().set_model_tag(tag);
        expect_error([&] { write_settings_block(settings); }, typeid(error::wrong_speaker_version));
    }
    // Swapped after the write's ready wait (reports 5 to 11, two refused as busy), as the tag is
    // about to be read.
    speaker().set_model_tag("K4R004711");
    speaker().before_report(11, [] { speaker().set_model_tag("K7T004711"); });
    expect_error([&] { write_settings_block(settings); }, typeid(error::wrong_speaker_version));
    expect_flash_unchanged_outside(0x1F0000, 9);
    speaker().set_model_tag("K4R999");
    write_settings_block(settings);
}

TEST_F(SettingsBlock, ReadFailuresAreReportedAsTheirOwnErrors)
{
    const struct
    {
        const char* name;
        std::function<void()> inject;
        const std::type_info& error;
    } cases[] = {
        {"foreign tag", [] { speaker().set_model_tag("X5R004711"); }, typeid(error::wrong_speaker)},
        {"tag unreadable", on_flash(report_fault::read_fails, bp::flash_opcode::read, 1),
         typeid(error::wrong_speaker)},
        {"block chunk unreadable", on_flash(report_fault::write_fails, bp::flash_opcode::read, 7),
         typeid(error::read_data_failed)},
        // The second chunk's "finished": tag 3 reports, each chunk 4 (one busy answer among them).
        {"block chunk short", on_flash(report_fault::wrong_count, bp::flash_opcode::read, 10, 12),
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

// A panel killed in the middle of a read: its handle is closed for it, and the bridge keeps the
// transaction and refuses the next panel's chip settings as busy until it is cancelled. (The
// close's violation is pinned by the bridge test of unfinished transactions.)
TEST_F(SettingsBlock, TransactionLeftByAKilledProgramIsCancelledBeforeTheNextRead)
{
    {
        dsp_session killed;
        open_dsp_session(killed);
        spi_transfer_settings spi =
            bridge_get_spi_settings(killed.device, bridge_settings::current);
        spi.bytes_per_transaction = 64;
        ASSERT_EQ(bridge_set_spi_settings(killed.device, bridge_settings::current, spi), 0);
        const std::array<std::uint8_t, 4> read{bp::flash_opcode::read, 0x1D, 0, 0};
        ASSERT_EQ(bridge_spi_transfer(killed.device, read.data(), 4).engine_status,
                  bp::engine_status::started);
        bridge_close(killed.device);
    }
    speaker().clear_history();
    EXPECT_EQ(read_settings_block().model, "K5R");
    const auto payloads = sent_payloads();
    ASSERT_GE(payloads.size(), 4u);
    EXPECT_EQ(payloads[1][0], bp::command::set_chip_settings);
    EXPECT_EQ(payloads[2][0], bp::command::cancel_spi_transfer);
    EXPECT_EQ(payloads[3][0], bp::command::set_chip_settings);
    expect_flash_unchanged();
}

// A write under a fault of the flash or the bridge. A read-back that differs or that fails
// spoils an attempt, which shows as one more erase. Done, the block is the new one. Failed, the
// first failure is reported and the block is as it was stored, put back byte for byte after
// the last attempt (also where sanitising changed the record: volume -60.1 dB, version
// 1001.4.5); only a flash that never finishes its erase, or a speaker gone, may leave anything.
TEST_F(SettingsBlock, WriteUnderAFaultLeavesTheNewBlockOrTheOneStored)
{
    namespace op = bp::flash_opcode;
    enum class left
    {
        new_block,
        old_block,
        anything
    };
    const struct
    {
        const char* name;
        std::function<void()> inject;
        const std::type_info* error; ///< null: the write is done
        left block;
        std::size_t erases;
    } cases[] = {
        {"no fault", [] {}, nullptr, left::new_block, 1},
        {"erase ignored once", [] { speaker().ignore_erase(); }, nullptr, left::new_block, 2},
        {"program ignored once", [] { speaker().ignore_program(1, 9); }, nullptr, left::new_block,
         2},
        {"last word read back wrong once", [] { speaker().flip_bits_on_read(0x1D0203, 0x01); },
         nullptr, left::new_block, 2},
        {"last word read back wrong three times",
         [] { speaker().flip_bits_on_read(0x1D0203, 0x01, 3); }, &typeid(error::mismatch_error),
         left::old_block, 4},
        // After the tag's three reports, the first of each attempt's read-back.
        {"read back lost three times",
         [] {
             speaker().inject(report_fault::read_fails, {{}, op::read}, 3, 3);
         },
         &typeid(error::mismatch_error), left::old_block, 4},
        {"write enable refused", on_flash(report_fault::bridge_status, op::write_enable, 0, 0xF7),
         &typeid(error::write_enable_failed), left::old_block, 0},
        {"write enable not latching",
         [] { speaker().ignore_write_enable(emulated_speaker::always); },
         &typeid(error::mismatch_error), left::old_block, 4},
        {"block protected", [] { speaker().protect_block(0x1D); }, &typeid(error::mismatch_error),
         left::old_block, 4},
        {"unplugged before the erase", [] { speaker().unplug_after(25); },
         &typeid(error::erase_sector_failed), left::anything, 0},
        {"erase never finishes", [] { speaker().set_busy_times(3600000000, 0); },
         &typeid(error::dsp_runtime_error), left::anything, 1},
    };
    speaker_settings stored = emulated_speaker::factory_settings();
    stored.volume_tenths_db = -601;
    stored.firmware_version = {1001, 4, 5};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        speaker().reset();
        speaker().set_settings(stored);
        take_reference_image();
        // A change that sets bits, so that programming over an unerased block shows.
        device_settings settings = read_settings_block();
        settings.settings_block.set_word(2, 50);
        speaker().clear_history();
        c.inject();
        if (c.error == nullptr)
            write_settings_block(settings);
        else
            expect_error([&] { write_settings_block(settings); }, *c.error);
        if (c.block == left::new_block) {
            EXPECT_EQ(speaker().plain(0x1D0000, 516), bytes_of(settings));
            EXPECT_EQ(speaker().flash(0x1D0000 + 516, 0x10000 - 516),
                      std::vector<std::uint8_t>(0x10000 - 516, 0xFF));
        }
        expect_flash_unchanged_outside(0x1D0000, c.block == left::old_block ? 0 : 0x10000);
        EXPECT_EQ(flash_commands_with(op::block_erase).size(), c.erases);
        expect_session_closed_and_faults_used();
    }
}

// One failed report anywhere in a write: afterwards the flash holds the new block or the old
// one, byte for byte, and the report says which. A speaker unplugged at any point may leave
// anything, but a write reported as done holds the new block. Faults before the erase fail the
// write; the others are got past, but for a speaker that is gone; a busy answer is waited out.
TEST_F(SettingsBlock, WriteLeavesTheNewBlockOrTheOldOneWhateverReportFails)
{
    device_settings settings = read_settings_block();
    settings.settings_block.set_word(2, 50);
    settings.settings_block.set_word(128, 9);
    const std::vector<std::uint8_t> old_block = speaker().flash(0x1D0000, 0x10000);
    speaker().clear_history();
    write_settings_block(settings);
    ASSERT_EQ(speaker().report_count(), reports_per_write);
    const std::vector<std::uint8_t> new_block = speaker().flash(0x1D0000, 0x10000);
    const struct
    {
        const char* name;
        report_fault kind;
        std::uint8_t value;
        bool unplugged;
        bool waited_out;
    } cases[] = {
        {"report lost", report_fault::write_fails, 0, false, false},
        {"reply lost", report_fault::read_fails, 0, false, false},
        {"reply garbled", report_fault::wrong_echo, 0, false, false},
        {"speaker unplugged", report_fault::write_fails, 0, true, false},
        {"bridge busy", report_fault::bridge_status, bp::bridge_status::busy, false, true},
    };
    for (const auto& f : cases) {
        SCOPED_TRACE(f.name);
        std::uint64_t written = 0;
        for (std::uint64_t at = 0; at < reports_per_write && !HasFailure(); ++at) {
            speaker().reset();
            if (f.unplugged)
                speaker().unplug_after(at);
            else
                speaker().inject(f.kind, {}, at, 1, f.value);
            bool done = true;
            try {
                write_settings_block(settings);
            } catch (const error::dsp_error&) {
                done = false;
            }
            written += done ? 1 : 0;
            const std::vector<std::uint8_t> block = speaker().flash(0x1D0000, 0x10000);
            const bool as_reported = done ? block == new_block : f.unplugged || block == old_block;
            const bool clean = speaker().violations().empty() &&
                               speaker().unused_faults().empty() &&
                               speaker().open_handle_count() == 0;
            EXPECT_TRUE(as_reported && clean)
                << "at report " << at << ": reported " << (done ? "done" : "failed")
                << ", flash holds "
                << (block == new_block   ? "the new block"
                    : block == old_block ? "the old block"
                                         : "neither block")
                << (clean ? "" : ", with violations, unused faults or a session");
        }
        if (f.waited_out) {
            EXPECT_EQ(written, reports_per_write);
        } else {
            EXPECT_GT(written, f.unplugged ? 0 : reports_per_write / 2);
            EXPECT_LT(written, reports_per_write);
        }
    }
}

} // namespace
