// The emulated bridge: settings banks, chip select and the timing of a transaction. The
// settings fields' round trips, the engine statuses, the received data one packet late and a
// transaction that outlives its handle until cancelled are checked by the bridge tests of the
// speaker link.
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
}

TEST_F(BridgeModel, TransferWhileAPacketIsClockedIsRefusedAsBusy)
{
    raw_bridge bridge;
    bridge.select_flash();
    // 3 Mbit/s plus 5 ms between bytes: a 60-byte packet takes 295.2 ms to clock.
    bridge.set_transaction(120, 50);

    const std::vector<std::uint8_t> packet(60, 0x03);
    EXPECT_EQ(bridge.transfer(packet).at(3), bp::engine_status::started);
    const std::uint64_t clocking_from = speaker().clock_us() - 1000; // the reply's frame
    int refused = 0;
    std::vector<std::uint8_t> reply;
    while ((reply = bridge.transfer(packet)).at(1) == bp::bridge_status::busy && refused < 1000)
        ++refused;
    EXPECT_EQ(reply.at(3), bp::engine_status::data_available);
    // Each refused report is 2 ms: the first accepted one arrived in the 2 ms after clocking.
    const std::uint64_t arrived = speaker().clock_us() - 1000;
    EXPECT_GE(arrived, clocking_from + 295200);
    EXPECT_LT(arrived, clocking_from + 295200 + 2000);
    while (bridge.transfer(packet).at(3) != bp::engine_status::finished && refused < 2000)
        ++refused;
    EXPECT_THAT(speaker().violations(), ::testing::IsEmpty()) << "every busy one was retried";
}

TEST_F(BridgeModel, CancelBetweenBytesLeavesTheFlashWhatItGot)
{
    raw_bridge bridge;
    bridge.select_flash();
    speaker().set_flash(0x1E0000, {0xFF, 0xFF, 0xFF, 0xFF});
    bridge.write_enable();
    // 5 ms between bytes: 22 ms after the packet began, five bytes are in and the sixth
    // waits for its turn.
    bridge.set_transaction(8, 50);
    EXPECT_EQ(
        bridge.transfer({bp::flash_opcode::page_program, 0x1E, 0, 0, 0x00, 0x11, 0x22, 0x33}).at(3),
        bp::engine_status::started);
    const std::uint64_t began_us = speaker().clock_us() - 1000;
    std::array<std::uint8_t, 64> nothing{};
    EXPECT_EQ(hid_read_timeout(bridge.device(), nothing.data(), nothing.size(), 20), 0);
    EXPECT_EQ(bridge.send({bp::command::cancel_spi_transfer}).at(1), 0);
    EXPECT_EQ(speaker().clock_us() - 1000 - began_us, 22000u) << "when the cancel arrived";
    EXPECT_EQ(speaker().flash(0x1E0000, 4), (std::vector<std::uint8_t>{0x00, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(speaker().flash_commands().back().outcome,
              emulated_speaker::command_outcome::executed);
}

TEST_F(BridgeModel, FlashIsUnreachableUntilGp1IsItsChipSelectInMode3)
{
    raw_bridge bridge;
    EXPECT_EQ(bridge.read(0x1F0000, 9), std::vector<std::uint8_t>(9, 0xFF));
    EXPECT_TRUE(speaker().flash_commands().empty());

    expect_violations();
    bridge.select_flash(1);
    EXPECT_EQ(bridge.read(0x1F0000, 2), std::vector<std::uint8_t>(2, 0xFF)) << "SPI mode 1";
    bridge.select_flash();
    EXPECT_EQ(bridge.read(0x1F0000, 9), speaker().flash(0x1F0000, 9));
    EXPECT_THAT(speaker().violations(),
                ::testing::ElementsAre("bridge: SPI mode 1 does not reach the flash"));
}

// Also a command refused as busy (new settings while a transaction runs) and not sent again.
TEST_F(BridgeModel, MisusedTransfersAreViolations)
{
    expect_violations();
    raw_bridge bridge;
    bridge.select_flash();
    EXPECT_EQ(bridge.send({bp::command::spi_transfer, 61}).at(1), 0);
    bridge.set_transaction(1);
    bridge.transfer({bp::flash_opcode::write_enable, 0x00});
    EXPECT_EQ(bridge.send({bp::command::set_chip_settings}).at(1), bp::bridge_status::busy);
    EXPECT_NE(bridge.send({0x55}).at(1), 0);
    EXPECT_THAT(speaker().violations(),
                ::testing::ElementsAre("bridge: transfer of 61 bytes",
                                       "bridge: 1 bytes beyond the end of the transaction",
                                       "bridge: a command refused as busy was not retried",
                                       "bridge: unknown command 85"));
}

} // namespace
