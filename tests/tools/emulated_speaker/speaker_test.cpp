// The emulated speaker's control interface: the flash file shared by two programs, a second
// open, and the bookkeeping of faults that never fired. Report faults, unplugging, gates
// and flash faults are pinned by the speaker link's own fault tests.
#include "raw_bridge.h"

#include <support/child_process.h>
#include <support/emulated_speaker_fixture.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

namespace {

using emulated_speaker::report_fault;
using Speaker = EmulatedSpeakerTest;

const raw_bridge::payload get_chip_settings{bp::command::get_chip_settings};

TEST_F(Speaker, UnusedFaultsAreListedUntilTheyFire)
{
    speaker().inject(report_fault::write_fails, {}, 2, 1);
    EXPECT_EQ(speaker().unused_faults().size(), 1u);
    raw_bridge bridge;
    EXPECT_EQ(bridge.send(get_chip_settings).size(), 64u);
    EXPECT_EQ(bridge.send(get_chip_settings).size(), 64u);
    EXPECT_EQ(speaker().unused_faults().size(), 1u);
    EXPECT_TRUE(bridge.send(get_chip_settings).empty());
    EXPECT_TRUE(speaker().unused_faults().empty());
}

// Two programs on one flash file are one speaker: what one leaves there the other reads as it
// opens the bridge, and opening it while the other has it open is a violation, as is a second
// open in one program.
TEST_F(Speaker, ProgramsOnOneFlashFileShareOneSpeakerButNeverTheBridgeAtOnce)
{
    const std::string path = std::string(std::getenv("PELLARO_TEST_ROOT")) + "/shared.bin";
    const std::uint32_t address = 0x20000; // a pattern byte, not 0
    speaker().use_flash_file(path, "K5R");
    // The other program, forked from this one, starts from a speaker of its own on the file.
    const auto other_program = [&](const std::function<void()>& work) {
        return test_support::run_in_child(test_support::child_user::same, [&] {
            speaker().reset("K5R");
            speaker().use_flash_file(path, "K5R");
            work();
            const std::vector<std::string> seen = speaker().violations();
            return seen.empty() ? std::string("no violation") : seen.front();
        });
    };
    EXPECT_EQ(other_program([&] {
                  raw_bridge bridge;
                  bridge.select_flash();
                  bridge.write_enable();
                  bridge.program(address, {0x00});
              }),
              "no violation");
    EXPECT_NE(speaker().flash(address, 1).at(0), 0) << "read before the bridge opened";
    raw_bridge bridge;
    EXPECT_EQ(speaker().flash(address, 1).at(0), 0) << "the other program's byte";
    EXPECT_EQ(other_program([] { raw_bridge second; }),
              "hid: the device is opened while another program has it open");
    expect_violations();
    raw_bridge second;
    EXPECT_THAT(speaker().violations(),
                ::testing::ElementsAre("hid: the device is opened while another handle is open"));
}

// A test's own change made while the bridge is closed reaches the file before the next open
// reads it, so that open does not undo it.
TEST_F(Speaker, ChangeMadeWhileTheBridgeIsClosedSurvivesTheNextOpen)
{
    speaker().use_flash_file(std::string(std::getenv("PELLARO_TEST_ROOT")) + "/own.bin", "K5R");
    speaker().set_flash(0x20000, {0x5A});
    raw_bridge bridge;
    EXPECT_EQ(speaker().flash(0x20000, 1).at(0), 0x5A);
}

// A file kept across starts is pinned by the end-to-end tests; one that is no image is refused.
TEST_F(Speaker, FlashFileMustHoldAWholeImage)
{
    const std::filesystem::path file =
        std::filesystem::path(std::getenv("PELLARO_TEST_ROOT")) / "short.bin";
    std::ofstream(file) << "not an image";
    EXPECT_THROW(speaker().use_flash_file(file.string(), "K7T"), std::runtime_error);
    EXPECT_EQ(speaker().model_tag(), "K5R004711");
}

} // namespace
