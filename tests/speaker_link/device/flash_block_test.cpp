// The firmware block operations: bytes moved as they are, every failure thrown as its class.
#include <speaker_link/device/flash_block.h>

#include <speaker_link/device/bridge_protocol.h>
#include <speaker_link/device/dsp_error.h>

#include <support/emulated_speaker_fixture.h>
#include <support/error_text.h>
#include <support/open_bridge.h>

#include <functional>
#include <typeinfo>

namespace {

namespace bp = bridge_protocol;
using emulated_speaker::report_fault;

emulated_speaker::report_filter flash_command(std::uint8_t opcode)
{
    return {{}, opcode};
}
emulated_speaker::report_filter bridge_command(std::uint8_t code)
{
    return {code, {}};
}

using FlashBlock = FlashSessionTest;

TEST_F(FlashBlock, EraseWriteAndReadMoveBytesAsTheyAre)
{
    erase_flash_block(session(), 5);
    EXPECT_EQ(speaker().flash(0x050000, 0x10000), std::vector<std::uint8_t>(0x10000, 0xFF));
    const std::vector<std::uint8_t> piece = {0x01, 0x0F, 0xA5, 0x80, 0x00, 0x7E};
    write_flash_block(session(), 0x050020, piece.data(), static_cast<std::uint32_t>(piece.size()));
    EXPECT_EQ(speaker().flash(0x050020, 6), piece);
    std::vector<std::uint8_t> back(6);
    read_flash_block(session(), 0x050020, back.data(), 6);
    EXPECT_EQ(back, piece);
    std::vector<std::uint8_t> full(60);
    read_flash_block(session(), 0x04FFE2, full.data(), 60);
    EXPECT_EQ(full, speaker().flash(0x04FFE2, 60));
    expect_flash_unchanged_outside(0x050000, 0x10000);
}

TEST_F(FlashBlock, EveryFailureIsThrownAsItsOwnClass)
{
    // A failed erase leaves the flash busy with nobody waiting; the next case must not trip on it.
    speaker().set_busy_times(0, 0);
    std::array<std::uint8_t, 60> bytes{};
    const auto erase = [&] { erase_flash_block(session(), 0x1E); };
    const auto write = [&] { write_flash_block(session(), 0x1E0000, bytes.data(), 32); };
    const auto read = [&] { read_flash_block(session(), 0x1E0000, bytes.data(), 32); };
    namespace op = bp::flash_opcode;
    namespace cmd = bp::command;
    const struct
    {
        const char* name;
        report_fault kind;
        emulated_speaker::report_filter filter;
        std::uint64_t after;
        std::function<void()> call;
        const std::type_info& error;
    } cases[] = {
        {"erase refused", report_fault::bridge_status, flash_command(op::block_erase), 0, erase,
         typeid(error::write_enable_failed)},
        {"write settings refused", report_fault::bridge_status,
         bridge_command(cmd::set_spi_settings), 2, write, typeid(error::write_data_failed)},
        {"program lost", report_fault::write_fails, flash_command(op::page_program), 0, write,
         typeid(error::write_data_failed)},
        {"ready poll lost", report_fault::write_fails, flash_command(op::read_status), 0, write,
         typeid(error::dsp_runtime_error)},
        {"read settings refused", report_fault::bridge_status,
         bridge_command(cmd::get_spi_settings), 0, read, typeid(error::read_data_failed)},
        // The read's fourth report is its last: started, data available, busy, finished.
        {"read count short", report_fault::wrong_count, flash_command(op::read), 3, read,
         typeid(error::read_data_failed)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        speaker().inject(c.kind, c.filter, c.after, 1,
                         c.kind == report_fault::wrong_count ? 31 : 0xFF);
        test_support::expect_error(c.call, c.error);
    }
    expect_flash_unchanged_outside(0x1E0000, 0x10000);
}

TEST_F(FlashBlock, LengthsBeyondOneTransferAreRefusedUnsent)
{
    std::array<std::uint8_t, 64> bytes{};
    speaker().clear_history();
    EXPECT_THROW(write_flash_block(session(), 0x1E0000, bytes.data(), 57),
                 error::write_data_failed);
    EXPECT_THROW(read_flash_block(session(), 0x1E0000, bytes.data(), 61), error::read_data_failed);
    EXPECT_EQ(speaker().report_count(), 0u);
}

} // namespace
