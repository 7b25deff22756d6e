// The emulated speaker's control interface: report faults, device presence, gates,
// the flash file, and the bookkeeping of faults that never fired.
#include "raw_bridge.h"

#include <support/emulated_speaker_fixture.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

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
        {"bus taken", report_fault::bridge_status, 0xF7, 65, {64}, 0xF7, 0x20},
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

TEST_F(Speaker, UnpluggedOrRemovedDeviceIsGoneUntilReplugged)
{
    {
        raw_bridge bridge;
        speaker().unplug_after(2);
        EXPECT_EQ(bridge.send(get_chip_settings).size(), 64u);
        EXPECT_EQ(bridge.send(get_chip_settings).size(), 64u);
        EXPECT_TRUE(bridge.send(get_chip_settings).empty());
        std::array<std::uint8_t, 64> reply{};
        EXPECT_EQ(hid_read_timeout(bridge.device(), reply.data(), reply.size(), 10), -1);
        EXPECT_EQ(hid_open(bp::vendor_id, bp::product_id, nullptr), nullptr);
    }
    speaker().replug();
    speaker().remove_device();
    EXPECT_EQ(hid_enumerate(bp::vendor_id, bp::product_id), nullptr);
    speaker().replug();
    hid_device_info* devices = hid_enumerate(0, 0);
    ASSERT_NE(devices, nullptr);
    EXPECT_EQ(devices->vendor_id, bp::vendor_id);
    EXPECT_EQ(devices->product_id, bp::product_id);
    hid_free_enumeration(devices);
    EXPECT_NE(raw_bridge().device(), nullptr);
}

TEST_F(Speaker, ResetLeavesOldHandlesDead)
{
    hid_device* device = hid_open(bp::vendor_id, bp::product_id, nullptr);
    ASSERT_NE(device, nullptr);
    speaker().reset();
    EXPECT_EQ(speaker().open_handle_count(), 0u);
    std::array<std::uint8_t, 65> report{};
    EXPECT_EQ(hid_write(device, report.data(), report.size()), -1);
    hid_close(device);
    EXPECT_EQ(speaker().close_count(), 0u) << "closing a dead handle counts for nothing";
}

TEST_F(Speaker, SecondOpenIsAViolation)
{
    expect_violations();
    raw_bridge first;
    raw_bridge second;
    EXPECT_THAT(speaker().violations(),
                ::testing::ElementsAre("hid: the device is opened while another handle is open"));
}

TEST_F(Speaker, GateHoldsTheWriterUntilReleased)
{
    raw_bridge bridge;
    auto gate = speaker().hold_report(1);
    std::vector<std::uint8_t> first;
    std::vector<std::uint8_t> second;
    std::thread writer([&] {
        first = bridge.send(get_chip_settings);
        second = bridge.send(get_chip_settings);
    });
    ASSERT_TRUE(gate->wait_until_held(std::chrono::seconds(10)));
    EXPECT_TRUE(gate->held());
    EXPECT_EQ(speaker().report_count(), 1u) << "the second report waits at the gate";
    gate->release();
    writer.join();
    EXPECT_EQ(first.size(), 64u);
    EXPECT_EQ(second.size(), 64u);
    EXPECT_EQ(speaker().report_count(), 2u);
}

TEST_F(Speaker, FlashFileSurvivesARestartAndMustHoldAWholeImage)
{
    const std::filesystem::path root(std::getenv("PELLARO_TEST_ROOT"));
    const std::string path = (root / "flash.bin").string();
    speaker().use_flash_file(path, "K7T");
    EXPECT_EQ(std::filesystem::file_size(path), 2u * 1024 * 1024);
    EXPECT_EQ(speaker().model_tag(), "K7T004711");
    {
        raw_bridge bridge;
        bridge.select_flash();
        bridge.write_enable();
        bridge.program(0x1D0300, {0x12, 0x34});
    }
    speaker().reset("K5R");
    EXPECT_EQ(speaker().model_tag(), "K5R004711");
    speaker().use_flash_file(path, "K5R");
    EXPECT_EQ(speaker().model_tag(), "K7T004711");
    EXPECT_EQ(speaker().flash(0x1D0300, 2), (std::vector<std::uint8_t>{0x12, 0x34}));

    std::ofstream(root / "short.bin") << "not an image";
    EXPECT_THROW(speaker().use_flash_file((root / "short.bin").string(), "K5R"),
                 std::runtime_error);
    EXPECT_EQ(speaker().model_tag(), "K7T004711");
}

} // namespace
