// The emulated speaker's control interface: what a report fault leaves at the hidapi calls, the
// flash file shared by two programs, a second open, and the bookkeeping of faults that never
// fired. The other report faults, unplugging, gates and flash faults are pinned by the speaker
// link's own fault tests.
#include "raw_bridge.h"

#include <support/child_process.h>
#include <support/emulated_speaker_fixture.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

namespace {

using emulated_speaker::report_fault;
using Speaker = EmulatedSpeakerTest;

const raw_bridge::payload get_chip_settings{bp::command::get_chip_settings};

// The faults whose hidapi results the bridge layer takes alike: a write that fails or writes
// part of the report, a reply lost for good (not left for the next read), a reply cut short.
TEST_F(Speaker, ReportFaultsSpoilTheReportTheyAimAt)
{
    const struct
    {
        const char* name;
        report_fault kind;
        std::uint8_t value;
        int write_result;
        std::vector<int> read_results; // hid_read results, in order
    } cases[] = {
        {"write fails", report_fault::write_fails, 0, -1, {0}},
        {"short write", report_fault::short_write, 30, 30, {0}},
        {"read fails", report_fault::read_fails, 0, 65, {-1, 0}},
        {"short reply", report_fault::short_reply, 1, 65, {1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        raw_bridge bridge;
        speaker().inject(c.kind, {}, 0, 1, c.value);
        std::array<std::uint8_t, 65> report{};
        report[1] = bp::command::get_chip_settings;
        EXPECT_EQ(hid_write(bridge.device(), report.data(), report.size()), c.write_result);
        std::array<std::uint8_t, 64> reply{};
        for (int expected : c.read_results)
            EXPECT_EQ(hid_read_timeout(bridge.device(), reply.data(), reply.size(), 10), expected);
        EXPECT_EQ(reply[0], c.read_results.front() > 0 ? bp::command::get_chip_settings : 0);
    }
}

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
