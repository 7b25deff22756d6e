// The settings-block flash commands against the emulated flash.
#include <speaker_link/device/spi_flash.h>

#include <speaker_link/device/bridge.h>
#include <speaker_link/device/bridge_protocol.h>
#include <speaker_link/device/dsp_error.h>
#include <speaker_link/device/dsp_session.h>

#include <support/emulated_speaker_fixture.h>
#include <support/open_bridge.h>

#include <algorithm>
#include <numeric>

namespace {

namespace bp = bridge_protocol;
using emulated_speaker::report_fault;

using SpiFlash = FlashSessionTest;

TEST_F(SpiFlash, ReadsTheSettingsBlockInChunksOfSixtyAndNothingOfNoLength)
{
    std::array<std::uint8_t, 516> block{};
    EXPECT_EQ(spi_flash_read(device(), block.data(), 0, 0x1D0000), 0);
    EXPECT_EQ(spi_flash_read(device(), block.data(), -4, 0x1D0000), 0);
    EXPECT_EQ(speaker().report_count(), 0u);
    ASSERT_EQ(spi_flash_read(device(), block.data(), 516, 0x1D0000), 0);
    EXPECT_EQ(std::vector<std::uint8_t>(block.begin(), block.end()),
              speaker().plain(0x1D0000, 516));

    const auto reads = flash_commands_with(bp::flash_opcode::read);
    ASSERT_EQ(reads.size(), 9u);
    for (std::size_t i = 0; i < reads.size(); ++i) {
        EXPECT_EQ(reads[i].address, 0x1D0000u + 60 * i) << i;
        EXPECT_EQ(reads[i].length, i < 8 ? 60u : 36u) << i;
    }
    // Each chunk: get settings, set settings with bytes_per_transaction = chunk + 4, command,
    // data, and the transfer answered "finished" (not clocked).
    const auto payloads = sent_payloads(refused_reports::left_out);
    ASSERT_EQ(payloads.size(), 45u);
    EXPECT_EQ(payloads[1][18], 64);
    EXPECT_EQ(payloads[41][18], 40);
    EXPECT_EQ(std::vector<std::uint8_t>(payloads[42].begin(), payloads[42].begin() + 8),
              (std::vector<std::uint8_t>{0x42, 4, 0, 0, 0x03, 0x1D, 0x01, 0xE0}));
    EXPECT_EQ(payloads[43][1], 36);
    EXPECT_EQ(payloads[44][1], 36);
}

TEST_F(SpiFlash, FailedChunkIsReportedAndEarlierChunksStay)
{
    // The first chunk's reports: started, busy, data available, busy, finished.
    speaker().inject(report_fault::read_fails, {{}, bp::flash_opcode::read}, 6, 1);
    std::array<std::uint8_t, 120> bytes{};
    testing::internal::CaptureStdout();
    EXPECT_EQ(spi_flash_read(device(), bytes.data(), 120, 0x1D0000), -1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Read Data: Error fffffffd during the SPI data transfer.\n");
    const auto plain = speaker().plain(0x1D0000, 60);
    EXPECT_TRUE(std::equal(plain.begin(), plain.end(), bytes.begin()));
    EXPECT_EQ(bytes[60], 0);
}

TEST_F(SpiFlash, EraseThenWriteProgramsSeventeenPiecesAndLeavesTheBufferReversed)
{
    ASSERT_EQ(spi_flash_erase_block(device(), 0x1D), 0);
    const auto erase = speaker().flash_commands();
    ASSERT_EQ(erase.size(), 3u);
    EXPECT_EQ(erase[0].opcode, bp::flash_opcode::write_enable);
    EXPECT_EQ(erase[1].bytes, (std::vector<std::uint8_t>{0xD8, 0x1D, 0x00, 0x00}));
    EXPECT_EQ(erase[2].opcode, bp::flash_opcode::write_disable);
    ASSERT_EQ(spi_flash_wait_ready(device()), 0);
    std::vector<std::uint8_t> data(516);
    std::iota(data.begin(), data.end(), std::uint8_t{7});
    std::vector<std::uint8_t> buffer = data;
    ASSERT_EQ(spi_flash_write(device(), buffer.data(), 516, 0x1D0000), 0);

    for (std::size_t i = 0; i < data.size(); ++i)
        ASSERT_EQ(buffer[i], emulated_speaker::mirror(data[i])) << i;
    EXPECT_EQ(speaker().plain(0x1D0000, 516), data);
    EXPECT_EQ(speaker().flash(0x1D0000 + 516, 0x10000 - 516),
              std::vector<std::uint8_t>(0x10000 - 516, 0xFF));
    const auto programs = flash_commands_with(bp::flash_opcode::page_program);
    ASSERT_EQ(programs.size(), 17u);
    for (std::size_t i = 0; i < programs.size(); ++i) {
        EXPECT_EQ(programs[i].address, 0x1D0000u + 32 * i) << i;
        EXPECT_EQ(programs[i].length, i < 16 ? 32u : 4u) << i;
    }
    expect_flash_unchanged_outside(0x1D0000, 0x10000);
}

TEST_F(SpiFlash, WriteEnableRestoresTheTransferSettings)
{
    spi_transfer_settings settings = bridge_get_spi_settings(device(), bridge_settings::current);
    settings.bytes_per_transaction = 7;
    ASSERT_EQ(bridge_set_spi_settings(device(), bridge_settings::current, settings), 0);
    EXPECT_EQ(spi_flash_write_enable(device()), 0);
    EXPECT_EQ(speaker().bridge().spi.bytes_per_transaction, 7);

    speaker().inject(report_fault::bridge_status, {{}, bp::flash_opcode::write_enable}, 0, 1, 0xF7);
    testing::internal::CaptureStdout();
    EXPECT_EQ(spi_flash_write_enable(device()), 0xF7);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Error f7 setting Write Enable\n");
    EXPECT_EQ(speaker().bridge().spi.bytes_per_transaction, 7);
}

// Whether the bridge programmed is unknown after a lost or garbled reply: the routine carries
// on, and the settings write's read-back decides. A packet whose reply was lost may still be
// clocked: the cancel of its transaction reaches the bridge only once all of it can have been
// (60 bytes at 3 Mbit/s, 100 us before and between bytes: 6.16 ms), else the flash programs
// part of it. Only the bridge's own refusal, when it lasts, is a failure. 56 bytes are
// programmed and no more; 57 are refused unsent.
TEST_F(SpiFlash, PageProgramLeavesALostReplyToTheReadBackAndRepeatsWhileBusy)
{
    std::vector<std::uint8_t> data(57);
    std::iota(data.begin(), data.end(), std::uint8_t{0x10});
    testing::internal::CaptureStdout();
    EXPECT_EQ(spi_flash_program_page(device(), data.data(), 57, 0x1E0000), -1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "DataLength exceeds maximum. Consider using chunks\n");
    EXPECT_EQ(speaker().report_count(), 0u);
    data.pop_back();
    const struct
    {
        const char* name;
        report_fault kind;
        std::uint8_t value;
        std::uint64_t times; ///< 0: no fault
        int result;
        const char* printed;
        std::size_t programs;
    } cases[] = {
        {"no fault", report_fault::write_fails, 0, 0, 0, "", 1},
        {"report lost on the way", report_fault::write_fails, 0, 1, 0, "", 0},
        {"reply lost", report_fault::read_fails, 0, 1, 0, "", 1},
        {"reply never came", report_fault::late_reply, 0xFF, 1, 0, "", 1},
        {"busy three times", report_fault::bridge_status, 0xF8, 3, 0, "", 1},
        {"busy for ever", report_fault::bridge_status, 0xF8, emulated_speaker::always, -1,
         "Page Program: Error f8 during the SPI data transfer.\n", 0},
    };
    ASSERT_EQ(spi_flash_erase_block(device(), 0x1E), 0);
    ASSERT_EQ(spi_flash_wait_ready(device()), 0);
    std::uint32_t address = 0x1E0000;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        speaker().clear_history();
        if (c.times > 0)
            speaker().inject(c.kind, {{}, bp::flash_opcode::page_program}, 0, c.times, c.value);
        testing::internal::CaptureStdout();
        EXPECT_EQ(spi_flash_program_page(device(), data.data(), 56, address), c.result);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.printed);
        EXPECT_EQ(flash_commands_with(bp::flash_opcode::page_program).size(), c.programs);
        // The 56 bytes and not one more: the rest of the 256-byte page stays erased.
        std::vector<std::uint8_t> page(0x100, 0xFF);
        if (c.programs == 1)
            std::copy(data.begin(), data.end(), page.begin());
        EXPECT_EQ(speaker().flash(address, 0x100), page);
        std::uint64_t program_us = 0;
        for (const auto& report : speaker().reports()) {
            if (report.output[1] == bp::command::spi_transfer &&
                report.output[5] == bp::flash_opcode::page_program && report.arrived_us > 0)
                program_us = report.arrived_us;
            if (report.output[1] == bp::command::cancel_spi_transfer && program_us > 0) {
                EXPECT_GE(report.arrived_us - program_us, 6160u) << "the cancel came too soon";
            }
        }
        address += 0x100;
    }
    expect_flash_unchanged_outside(0x1E0000, 0x10000);
}

TEST_F(SpiFlash, FailedStatusPollIsNeverTakenForReady)
{
    speaker().inject(report_fault::read_fails, {{}, bp::flash_opcode::read_status}, 1, 1);
    EXPECT_THROW(spi_flash_wait_ready(device()), error::dsp_runtime_error);
    speaker().inject(report_fault::bridge_status, {{}, bp::flash_opcode::read_status}, 0, 1, 0xF7);
    EXPECT_EQ(spi_flash_wait_ready(device()), 0) << "a poll the bridge refused is one poll lost";
    speaker().inject(report_fault::bridge_status, {bp::command::get_spi_settings, {}}, 0, 1, 0xF7);
    EXPECT_THROW(spi_flash_wait_ready(device()), error::dsp_runtime_error);
}

// Each busy poll sleeps 1 ms on the clock seam and costs its reports and its bytes' clocking
// at the speaker's power-up delays, a few milliseconds more; so the ten thousand polls stand
// for about a minute on the speaker.
TEST_F(SpiFlash, WaitReadyGivesUpAfterTenThousandBusyPolls)
{
    using test_support::virtual_clock;
    speaker().hold_busy(9999);
    const std::uint64_t started_ms = virtual_clock::now_ms();
    EXPECT_EQ(spi_flash_wait_ready(device()), 0) << "ready on the last poll";
    EXPECT_EQ(flash_commands_with(bp::flash_opcode::read_status).size(), 10000u);
    EXPECT_GE(virtual_clock::now_ms() - started_ms, 9999u);
    EXPECT_LT(virtual_clock::now_ms() - started_ms, 9999u * 30);

    speaker().clear_history();
    speaker().hold_busy(10000);
    EXPECT_THROW(spi_flash_wait_ready(device()), error::dsp_runtime_error);
    EXPECT_EQ(flash_commands_with(bp::flash_opcode::read_status).size(), 10000u);
    EXPECT_GE(virtual_clock::now_ms() - started_ms, 9999u + 10000u);
    EXPECT_LT(virtual_clock::now_ms() - started_ms, (9999u + 10000u) * 30);
}

TEST_F(SpiFlash, WriteStopsAtTheFirstFailedPiece)
{
    // Each piece's program: started, busy while its 36 bytes are clocked, finished.
    speaker().inject(report_fault::bridge_status, {{}, bp::flash_opcode::page_program}, 6,
                     emulated_speaker::always, 0xF7);
    std::vector<std::uint8_t> buffer(100, 0x00);
    testing::internal::CaptureStdout();
    EXPECT_EQ(spi_flash_write(device(), buffer.data(), 100, 0x1E0000), -1);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(flash_commands_with(bp::flash_opcode::page_program).size(), 2u);
    EXPECT_EQ(speaker().flash(0x1E0000, 64), std::vector<std::uint8_t>(64, 0x00));
    expect_flash_unchanged_outside(0x1E0000, 64);
}

} // namespace
