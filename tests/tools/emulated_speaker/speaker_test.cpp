// The emulated speaker's control interface: report faults, a second open, the flash file shared
// by two programs, and the bookkeeping of faults that never fired. Unplugging, gates and flash
// faults are pinned by the speaker link's own fault tests.
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

TEST_F(Speaker, ReportFaultsSpoilTheReportTheyAimAt)
{
    const struct
    {
        const char* name;
        report_fault kind;
        std::uint8_t value;
        int write_result;
        std::vector<int> read_results; // hid_read results, in order
        std::uint8_t status;           // reply byte 1 of the last read
        std::uint8_t echo;             // reply byte 0 of the last read
    } cases[] = {
        {"write fails", report_fault::write_fails, 0, -1, {0}, 0, 0},
        {"short write", report_fault::short_write, 30, 30, {0}, 0, 0},
        {"read fails", report_fault::read_fails, 0, 65, {-1, 0}, 0, 0},
        {"busy", report_fault::bridge_status, 0xF8, 65, {64}, 0xF8, 0x20},
        {"short reply", report_fault::short_reply, 1, 65, {1}, 0, 0x20},
        {"wrong echo", report_fault::wrong_echo, 0, 65, {64}, 0, 0xA0},
        {"late reply", report_fault::late_reply, 2, 65, {0, 0, 64}, 0, 0x20},
        {"silent", report_fault::late_reply, 0xFF, 65, {0, 0, 0}, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        speaker().reset();
        raw_bridge bridge;
        speaker().inject(c.kind, {bp::command::get_chip_settings, {}}, 1, 1, c.value);
        EXPECT_EQ(bridge.send(get_chip_settings).size(), 64u) << "the first report passes";

        std::array<std::uint8_t, 65> report{};
        report[1] = bp::command::get_chip_settings;
        EXPECT_EQ(hid_write(bridge.device(), report.data(), report.size()), c.write_result);
        std::array<std::uint8_t, 64> reply{};
        for (int expected : c.read_results)
            EXPECT_EQ(hid_read_timeout(bridge.device(), reply.data(), reply.size(), 10), expected);
        if (c.read_results.back() > 0) {
            EXPECT_EQ(reply[0], c.echo);
            if (c.read_results.back() > 1) {
                EXPECT_EQ(reply[1], c.status);
            }
        }
        EXPECT_EQ(speaker().report_count(), 2u);
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

TEST_F(Speaker, SecondOpenIsAViolation)
{
    expect_violations();
    raw_bridge first;
    raw_bridge second;
    EXPECT_THAT(speaker().violations(),
                ::testing::ElementsAre("hid: the device is opened while another handle is open"));
}

// Two programs on one flash file are one speaker: what one leaves there the other reads as it
// opens the bridge, and opening it while the other has it open is a violation.
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
