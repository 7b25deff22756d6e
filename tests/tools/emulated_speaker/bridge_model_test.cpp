// The emulated bridge: settings banks, chip select and the engine statuses of a transaction. The
// settings fields' round trips are checked by the bridge tests of the speaker link.
#include "raw_bridge.h"

#include <support/emulated_speaker_fixture.h>

namespace {

using BridgeModel = EmulatedSpeakerTest;

TEST_F(BridgeModel, PowerUpSettingsAreKeptApartFromTheCurrentOnes)
{
    raw_bridge bridge;
    raw_bridge::payload set{bp::command::set_power_up_settings, bp::power_up::spi_settings};
    set[20] = 2;
    EXPECT_EQ(bridge.send(set).at(1), 0);

    const raw_bridge::payload get{bp::command::get_power_up_settings, bp::power_up::spi_settings};
    const auto reply = bridge.send(get);
    EXPECT_EQ(reply.at(2), bp::power_up::spi_settings);
    EXPECT_EQ(reply.at(20), 2);
    EXPECT_EQ(speaker().bridge().spi.spi_mode, 0);

    // A reset is a new speaker: its power-up settings are the factory's again.
    speaker().reset();
    raw_bridge fresh;
    EXPECT_EQ(fresh.send(get).at(20), 0);
}

TEST_F(BridgeModel, TransactionReportsStartedThenDataThenFinished)
{
    raw_bridge bridge;
    bridge.select_flash();
    bridge.set_transaction(8);
    const std::vector<std::uint8_t> read = {bp::flash_opcode::read, 0x1F, 0x00, 0x00};
    auto reply = bridge.transfer(read);
    EXPECT_EQ(reply.at(3), bp::engine_status::started);
    EXPECT_EQ(reply.at(2), 0);
    reply = bridge.transfer({0, 0});
    EXPECT_EQ(reply.at(3), bp::engine_status::data_available);
    EXPECT_EQ(reply.at(2), 2);
    EXPECT_EQ(reply.at(4), emulated_speaker::mirror('K'));
    reply = bridge.transfer({0, 0});
    EXPECT_EQ(reply.at(3), bp::engine_status::finished);
    EXPECT_EQ(reply.at(2), 2);
    EXPECT_EQ(reply.at(4), emulated_speaker::mirror('R'));

    const auto commands = speaker().flash_commands();
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].opcode, bp::flash_opcode::read);
    EXPECT_EQ(commands[0].address, 0x1F0000u);
    EXPECT_EQ(commands[0].length, 4u);
}

TEST_F(BridgeModel, FlashIsUnreachableUntilGp1IsItsChipSelect)
{
    raw_bridge bridge;
    EXPECT_EQ(bridge.read(0x1F0000, 9), std::vector<std::uint8_t>(9, 0xFF));
    EXPECT_TRUE(speaker().flash_commands().empty());

    bridge.select_flash();
    EXPECT_EQ(bridge.read(0x1F0000, 9), speaker().flash(0x1F0000, 9));
}

TEST_F(BridgeModel, FlashIgnoresSpiModesItCannotTake)
{
    expect_violations();
    raw_bridge bridge;
    bridge.select_flash(1);
    EXPECT_EQ(bridge.read(0x1F0000, 2), std::vector<std::uint8_t>(2, 0xFF));
    EXPECT_THAT(speaker().violations(), ::testing::ElementsAre("bridge: SPI mode 1 does not "
                                                               "reach the flash"));
}

TEST_F(BridgeModel, MisusedTransfersAreViolations)
{
    expect_violations();
    raw_bridge bridge;
    bridge.select_flash();
    EXPECT_EQ(bridge.send({bp::command::spi_transfer, 61}).at(1), 0);
    bridge.set_transaction(1);
    bridge.transfer({bp::flash_opcode::write_enable, 0x00});
    EXPECT_NE(bridge.send({0x55}).at(1), 0);
    EXPECT_THAT(speaker().violations(),
                ::testing::ElementsAre("bridge: transfer of 61 bytes",
                                       "bridge: 1 bytes beyond the end of the transaction",
                                       "bridge: unknown command 85"));
}

} // namespace
