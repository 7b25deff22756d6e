// The fixture of every device test: a fresh emulated speaker with a factory image and a virtual
// clock (no wait of the speaker link sleeps on real time) before each test, and afterwards the
// checks that every planned fault fired, the speaker saw no protocol violation and no bridge
// session was left open.
#pragma once

#include <emulated_speaker/speaker.h>
#include <support/virtual_clock.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class EmulatedSpeakerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        speaker().reset("K5R");
        factory_ = speaker().image();
    }

    void TearDown() override
    {
        EXPECT_THAT(speaker().unused_faults(), ::testing::IsEmpty());
        if (!violations_expected_) {
            EXPECT_THAT(speaker().violations(), ::testing::IsEmpty());
        }
        EXPECT_EQ(speaker().open_handle_count(), 0u) << "a bridge session was left open";
    }

    static emulated_speaker::speaker& speaker() { return emulated_speaker::speaker::instance(); }

    /// Attaches a speaker of another model and takes its image as the reference.
    void attach(const std::string& model)
    {
        speaker().reset(model);
        factory_ = speaker().image();
    }

    /// Takes the flash as it is now as the reference image.
    void take_reference_image() { factory_ = speaker().image(); }

    /// The test provokes violations on purpose and checks them itself.
    void expect_violations() { violations_expected_ = true; }

    /// Every flash byte outside [address, address + length) is as the reference image holds it.
    void expect_flash_unchanged_outside(std::uint32_t address, std::uint32_t length)
    {
        const std::vector<std::uint8_t> now = speaker().image();
        ASSERT_EQ(now.size(), factory_.size());
        for (std::uint32_t i = 0; i < now.size(); ++i) {
            if (i >= address && i - address < length)
                continue;
            if (now[i] != factory_[i]) {
                ADD_FAILURE() << "flash byte 0x" << std::hex << i << " changed from 0x"
                              << int{factory_[i]} << " to 0x" << int{now[i]};
                return;
            }
        }
    }
    void expect_flash_unchanged() { expect_flash_unchanged_outside(0, 0); }

    /// The flash commands of one opcode since the history was last cleared, at addresses below
    /// `below`.
    static std::vector<emulated_speaker::flash_command>
    flash_commands_with(std::uint8_t opcode, std::uint32_t below = UINT32_MAX)
    {
        std::vector<emulated_speaker::flash_command> found;
        for (const auto& command : speaker().flash_commands())
            if (command.opcode == opcode && command.address < below)
                found.push_back(command);
        return found;
    }

    /// Holds the speaker link at its first report after a flash command of `opcode` at an
    /// address below `below` (since the history was last cleared) has reached the flash: a
    /// write caught half way. The test releases the gate.
    static std::shared_ptr<emulated_speaker::report_gate>
    hold_after_command(std::uint8_t opcode, std::uint32_t below = UINT32_MAX)
    {
        auto gate = std::make_shared<emulated_speaker::report_gate>();
        look_for_command(gate, opcode, below);
        return gate;
    }

    /// The image taken at the start of the test (or by attach()).
    const std::vector<std::uint8_t>& factory_image() const { return factory_; }

private:
    // Looks again before every report until the command has come.
    static void look_for_command(const std::shared_ptr<emulated_speaker::report_gate>& gate,
                                 std::uint8_t opcode, std::uint32_t below)
    {
        speaker().before_report(0, [gate, opcode, below] {
            if (flash_commands_with(opcode, below).empty())
                look_for_command(gate, opcode, below);
            else
                gate->hold();
        });
    }

    test_support::virtual_clock clock_;
    std::vector<std::uint8_t> factory_;
    bool violations_expected_ = false;
};
