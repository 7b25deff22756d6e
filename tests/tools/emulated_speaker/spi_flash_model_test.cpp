// The emulated flash: bit-clearing page programs that wrap, the write-enable latch, the busy bit
// that lasts the program or erase time, and what it refuses. That an erase needs the latch and
// erases its one block is pinned by the speaker link's settings write and flash tests.
#include "raw_bridge.h"

#include <support/emulated_speaker_fixture.h>
#include <support/temporary_folder.h>

namespace {

using emulated_speaker::command_outcome;
using SpiFlashModel = EmulatedSpeakerTest;

// Another process counts the erases and programs of every program on the speaker from the file.
TEST_F(SpiFlashModel, ChangesAreToldInTheChangeLogUntilTheSpeakerIsReset)
{
    const test_support::temporary_folder folder;
    const std::string path = folder / "changes.log";
    test_support::write_text(path, "earlier line\n");
    speaker().log_flash_changes(path);
    {
        raw_bridge bridge;
        bridge.select_flash();
        bridge.program(0x1E00FE, {0x0F}); // without the latch
        bridge.write_enable();
        bridge.erase(0x1E);
        for (int polls = 0; polls < 1000 && bridge.status() != 0; ++polls) {
        }
        bridge.write_enable();
        bridge.program(0x1E00FE, {0x0F, 0xF0, 0x33});
        EXPECT_EQ(bridge.read(0x1E0000, 1).size(), 1u); // reads are no changes
    }
    speaker().reset("K5R");
    raw_bridge after;
    after.select_flash();
    after.write_enable();
    after.erase(0x1E);
    EXPECT_EQ(test_support::read_text(path),
              "earlier line\n"
              "page program 0x1E00FE 1 ignored without write enable\n"
              "block erase 0x1E0000 executed\n"
              "page program 0x1E00FE 3 executed\n");
}

TEST_F(SpiFlashModel, ProgramOnlyClearsBitsAndWrapsWithinItsPage)
{
    raw_bridge bridge;
    bridge.select_flash();
    speaker().set_flash(0x1E00FE, {0xFF, 0xFF});
    speaker().set_flash(0x1E0100, {0x0F});
    bridge.write_enable();
    bridge.program(0x1E00FE, {0x0F, 0xF0, 0x33, 0x55});
    EXPECT_EQ(speaker().flash(0x1E00FE, 2), (std::vector<std::uint8_t>{0x0F, 0xF0}));
    EXPECT_EQ(speaker().flash(0x1E0000, 1)[0], emulated_speaker::factory_pattern(0x1E0000) & 0x33);
    EXPECT_EQ(speaker().flash(0x1E0001, 1)[0], emulated_speaker::factory_pattern(0x1E0001) & 0x55);
    EXPECT_EQ(speaker().flash(0x1E0100, 1)[0], 0x0F) << "the next page is untouched";
    EXPECT_EQ(speaker().flash_commands().back().outcome, command_outcome::executed);
}

TEST_F(SpiFlashModel, BusyBitLastsTheEraseOrProgramTime)
{
    raw_bridge bridge;
    bridge.select_flash();
    // Virtual microseconds from the end of the command until the flash reads ready; a status
    // command takes 8 ms of reports, so that is the resolution.
    const auto busy_us = [&] {
        const std::uint64_t start = speaker().clock_us();
        std::uint8_t status = 0;
        for (int polls = 0; polls < 1000 && (status = bridge.status()) != 0; ++polls) {
        }
        EXPECT_EQ(status, 0);
        return static_cast<double>(speaker().clock_us() - start);
    };
    speaker().set_busy_times(2000000, 50000);
    bridge.write_enable();
    EXPECT_EQ(bridge.status(), bp::flash_status_write_enable_latch);
    bridge.erase(0x1E);
    EXPECT_NEAR(busy_us(), 2000000, 10000);
    bridge.write_enable();
    bridge.program(0x1E0000, {0x00});
    EXPECT_NEAR(busy_us(), 50000, 10000);
}

TEST_F(SpiFlashModel, CommandsWhileBusyAreIgnoredAndReported)
{
    expect_violations();
    raw_bridge bridge;
    bridge.select_flash();
    bridge.write_enable();
    bridge.erase(0x1E);
    bridge.command({bp::flash_opcode::write_disable});
    EXPECT_EQ(bridge.read(0x1C0000, 4), std::vector<std::uint8_t>(4, 0xFF));
    const auto commands = speaker().flash_commands();
    EXPECT_EQ(commands.at(2).outcome, command_outcome::executed) << "write disable is taken";
    EXPECT_EQ(commands.at(3).outcome, command_outcome::ignored_while_busy);
    EXPECT_THAT(speaker().violations(), ::testing::ElementsAre("flash: opcode 0x03 while busy"));
}

TEST_F(SpiFlashModel, MalformedAndUnknownCommandsAreReported)
{
    const struct
    {
        std::vector<std::uint8_t> bytes;
        const char* violation;
    } cases[] = {
        {{0x9F, 0, 0}, "flash: unknown opcode (opcode 0x9F, 3 bytes)"},
        {{0xD8, 0x1E, 0}, "flash: block erase not of 4 bytes (opcode 0xD8, 3 bytes)"},
        {{0x02, 0x1E, 0, 0}, "flash: page program without data (opcode 0x02, 4 bytes)"},
    };
    expect_violations();
    for (const auto& c : cases) {
        speaker().clear_history();
        raw_bridge bridge;
        bridge.select_flash();
        bridge.command(c.bytes);
        EXPECT_THAT(speaker().violations(), ::testing::ElementsAre(c.violation));
        EXPECT_EQ(speaker().flash_commands().at(0).outcome, command_outcome::malformed);
    }
    expect_flash_unchanged();
}

} // namespace
