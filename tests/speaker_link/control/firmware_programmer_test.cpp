// Programming firmware blocks into the emulated speaker: progress and log of a whole update,
// retries of a block that fails, and faults that outlast them.
#include "firmware_install_fixture.h"

#include <speaker_link/control/firmware_programmer.h>
#include <speaker_link/device/dsp_error.h>

#include <support/error_text.h>

#include <algorithm>
#include <functional>
#include <typeinfo>

namespace {

using emulated_speaker::report_fault;
using emulated_speaker::report_filter;
using test_support::counting_bytes;
using test_support::intel_hex;
using step = test_support::progress_callback::step;

constexpr std::uint8_t erase_opcode = 0xD8;
constexpr std::uint8_t read_opcode = 0x03;
constexpr std::uint8_t program_opcode = 0x02;

const std::vector<test_support::hex_bytes> blocks_0_1_5 = {
    {0x000000, counting_bytes(64, 1)}, {0x01FFF0, counting_bytes(16, 0x40)}, {0x050000, {0xAB}}};

TEST_F(FirmwareInstall, ProgressAndLogOfAThreeBlockUpdate)
{
    install(firmware_only(intel_hex(blocks_0_1_5)));
    ASSERT_EQ(callback.next(), "firmware_update_succeeded");
    expect_flash({0, 1, 5}, blocks_0_1_5, {1, 0, 9});

    std::vector<step> expected = {{3, 3, 0}, {3, 3, 1}, {3, 3, 2}, {3, 3, 3}};
    for (std::uint64_t done = 32; done <= 196608; done += 32)
        expected.push_back({4, 196608, done});
    expected.push_back({4, 196608, 196608});
    EXPECT_EQ(callback.steps(), expected);

    EXPECT_EQ(update_log(), (std::vector<std::string>{
                                "updating firmware...", "erasing block: 0", "erasing block: 1",
                                "erasing block: 5", "writing block: 0", "writing block: 1",
                                "writing block: 5", "firmware update successful!"}));
}

TEST_F(FirmwareInstall, BlockThatFailsOnceIsErasedAndProgrammedAgain)
{
    const std::vector<test_support::hex_bytes> image = {{0x010000, counting_bytes(200, 7)}};
    speaker().ignore_program(1, 100);
    install(firmware_only(intel_hex(image)));
    ASSERT_EQ(callback.next(), "firmware_update_succeeded");
    expect_flash({1}, image, {1, 0, 9});
    std::vector<std::uint64_t> written; // never backwards, up to the total
    for (const step& s : callback.steps())
        if (std::get<0>(s) == 4)
            written.push_back(std::get<2>(s));
    EXPECT_TRUE(std::is_sorted(written.begin(), written.end()));
    EXPECT_EQ(written.empty() ? 0 : written.back(), 65536u);
    EXPECT_EQ(erase_count(), 2u);
    EXPECT_EQ(update_log(), (std::vector<std::string>{
                                "updating firmware...", "erasing block: 1", "writing block: 1",
                                "retrying block: 1 (attempt 2 of 3) after: Could not erase sector",
                                "firmware update successful!"}));
}

struct fault_case
{
    const char* name;
    std::function<void(emulated_speaker::speaker&)> inject;
    const std::type_info& error;
    std::size_t erases; ///< erase commands before the update gave up
};

void PrintTo(const fault_case& c, std::ostream* out)
{
    *out << c.name;
}

const fault_case fault_cases[] = {
    {"EraseFails",
     [](auto& s) {
         s.inject(report_fault::write_fails, report_filter{{}, erase_opcode}, 1);
     },
     typeid(error::write_enable_failed), 1},
    {"ProgramIgnoredThreeTimes", [](auto& s) { s.ignore_program(3, 40); },
     typeid(error::mismatch_error), 4},
    {"ReadBackRefusedThreeTimes",
     [](auto& s) {
         s.inject(report_fault::bridge_status, report_filter{{}, read_opcode}, 60, 3, 0xF7);
     },
     typeid(error::read_data_failed), 4},
    {"ReadBackDiffersInTheLastByteOfAPiece",
     [](auto& s) { s.flip_bits_on_read(0x01001F, 0x01, 3); }, typeid(error::mismatch_error), 4},
};

class FirmwareProgrammingFault : public FirmwareInstall,
                                 public ::testing::WithParamInterface<fault_case>
{};

TEST_P(FirmwareProgrammingFault, FailsKeepsTheOldVersionAndTheUpdateRunsAgain)
{
    const fault_case& c = GetParam();
    const std::vector<test_support::hex_bytes> image = {{0x010000, counting_bytes(64, 9)},
                                                        {0x020000, {0x5A}}};
    const auto package = firmware_only(intel_hex(image));
    c.inject(speaker());
    test_support::expect_error([&] { install(package); }, c.error);
    EXPECT_EQ(callback.untaken(), 0u) << "a report besides the failure";
    EXPECT_EQ(erase_count(), c.erases);
    EXPECT_EQ(speaker().settings().firmware_version, old_version_words);
    EXPECT_EQ(control->get_firmware_version(), old_version);
    // Nothing after a read-back that differs: the next piece is never programmed.
    const auto commands = speaker().flash_commands();
    if (c.error == typeid(error::mismatch_error)) {
        EXPECT_NE(commands.back().opcode, program_opcode);
    }

    speaker().clear_history();
    install(package);
    EXPECT_EQ(callback.next(), "firmware_update_succeeded");
    expect_flash({1, 2}, image, {1, 0, 9});
    EXPECT_EQ(control->get_firmware_version(), "1.0.9");
}

INSTANTIATE_TEST_SUITE_P(Faults, FirmwareProgrammingFault, ::testing::ValuesIn(fault_cases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FirmwareInstall, SpeakerSwappedWhileProgrammingKeepsTheOldVersion)
{
    const std::vector<test_support::hex_bytes> image = {{0x010000, {0x5A}}};
    // Well inside the programming of the block: the write-back finds another model.
    speaker().before_report(2000, [] { emulated_speaker::attached().set_model_tag("K4R004711"); });
    EXPECT_THROW(install(firmware_only(intel_hex(image))), error::wrong_speaker_version);
    EXPECT_EQ(callback.untaken(), 0u) << "a report besides the failure";
    EXPECT_EQ(speaker().settings().firmware_version, old_version_words);
    EXPECT_EQ(control->get_firmware_version(), old_version);
}

} // namespace
