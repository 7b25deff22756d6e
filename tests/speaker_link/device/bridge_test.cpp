// The bridge command layer against the emulated bridge: the bytes of each report, the decoding
// of each reply, and every way a reply can fail.
#include <speaker_link/device/bridge.h>

#include <speaker_link/device/bridge_protocol.h>

#include <support/emulated_speaker_fixture.h>
#include <support/open_bridge.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

namespace bp = bridge_protocol;
using emulated_speaker::report_fault;
using Bridge = EmulatedSpeakerTest;

// A 64-byte payload that starts with these bytes, zero behind them.
std::vector<std::uint8_t> payload_of(std::vector<std::uint8_t> bytes)
{
    bytes.resize(64, 0);
    return bytes;
}

TEST_F(Bridge, SpiSettingsGoEveryFieldInPlaceAndComeBackWithTheBitRateSignExtended)
{
    open_bridge bridge;
    spi_transfer_settings settings;
    settings.bit_rate = 0x80000001;
    settings.idle_chip_select = 0xFFFF; // bits above GP8 are dropped
    settings.active_chip_select = 0xFFFD;
    settings.chip_select_to_data_delay = 0x1234;
    settings.last_byte_to_chip_select_delay = 0x5678;
    settings.between_bytes_delay = 0x9ABC;
    settings.bytes_per_transaction = 0x0204;
    settings.spi_mode = 3;
    speaker().clear_history();
    EXPECT_EQ(bridge_set_spi_settings(bridge.device, bridge_settings::current, settings), 0);
    EXPECT_EQ(sent_payloads().at(0),
              payload_of({0x40, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x80, 0xFF, 0x01, 0xFD,
                          0x01, 0x34, 0x12, 0x78, 0x56, 0xBC, 0x9A, 0x04, 0x02, 0x03}));

    const spi_transfer_settings read =
        bridge_get_spi_settings(bridge.device, bridge_settings::current);
    EXPECT_EQ(read.status, 0);
    EXPECT_EQ(read.bit_rate, -2147483647);
    EXPECT_EQ(read.idle_chip_select, 0x1FFu);
}

TEST_F(Bridge, EachCommandUsesItsCodesForCurrentAndPowerUpSettings)
{
    open_bridge bridge;
    speaker().clear_history();
    for (const bridge_settings which : {bridge_settings::current, bridge_settings::power_up}) {
        bridge_get_spi_settings(bridge.device, which);
        bridge_set_spi_settings(bridge.device, which, {});
        bridge_get_chip_settings(bridge.device, which);
        bridge_set_chip_settings(bridge.device, which, {});
    }
    std::vector<std::vector<std::uint8_t>> codes;
    for (const auto& payload : sent_payloads())
        codes.emplace_back(payload.begin(), payload.begin() + 2);
    EXPECT_EQ(codes, (std::vector<std::vector<std::uint8_t>>{{0x41, 0x00},
                                                             {0x40, 0x00},
                                                             {0x20, 0x00},
                                                             {0x21, 0x00},
                                                             {0x61, 0x10},
                                                             {0x60, 0x10},
                                                             {0x61, 0x20},
                                                             {0x60, 0x20}}));
}

TEST_F(Bridge, ChipSettingsRoundTripWithPasswordOnlyWhenProtected)
{
    open_bridge bridge;
    chip_settings settings;
    settings.pins[0] = {0, 1, 0};
    settings.pins[1] = {1, 1, 0};
    settings.pins[8] = {2, 1, 1};
    settings.remote_wakeup = 1;
    settings.interrupt_mode = 5;
    settings.spi_bus_release = 1;
    settings.access_control = 0x40;
    settings.password = {'s', 'e', 'c', 'r', 'e', 't', '!', '?'};
    speaker().clear_history();
    ASSERT_EQ(bridge_set_chip_settings(bridge.device, bridge_settings::current, settings), 0);
    EXPECT_EQ(sent_payloads().at(0),
              payload_of({0x21, 0, 0, 0,    0,    1,   0,   0,   0,   0,   0,   0,   2,  0x03,
                          1,    0, 1, 0x1B, 0x40, 's', 'e', 'c', 'r', 'e', 't', '!', '?'}));
    const chip_settings read = bridge_get_chip_settings(bridge.device, bridge_settings::current);
    EXPECT_EQ(read.status, 0);
    EXPECT_EQ(read.pins[8].default_direction, 1u);
    EXPECT_EQ(read.access_control, 0x40u);
    EXPECT_EQ(read.password, settings.password);

    settings.access_control = 0;
    speaker().clear_history();
    ASSERT_EQ(bridge_set_chip_settings(bridge.device, bridge_settings::current, settings), 0);
    EXPECT_EQ(sent_payloads().at(0)[19], 0) << "no password without protection";
    EXPECT_EQ(bridge_get_chip_settings(bridge.device, bridge_settings::current).password,
              (std::array<std::uint8_t, 8>{}));
}

// Each report fault of the emulated speaker, and whether the bridge saw the command.
TEST_F(Bridge, EveryFailedReplyGivesItsOwnStatusAndLeavesTheRecordEmpty)
{
    const struct
    {
        const char* name;
        report_fault kind;
        std::uint8_t value;
        int status;
        bool arrived;
    } cases[] = {
        {"hid_write fails", report_fault::write_fails, 0, -2, false},
        {"short hid_write", report_fault::short_write, 64, -2, false},
        {"hid_read fails", report_fault::read_fails, 0, -3, true},
        {"silent bridge", report_fault::late_reply, 0xFF, -3, true},
        {"reply too short to decode", report_fault::short_reply, 20, -3, true},
        {"reply of one byte", report_fault::short_reply, 1, -3, true},
        {"wrong echo", report_fault::wrong_echo, 0, -3, true},
        {"bus not available", report_fault::bridge_status, 0xF7, 0xF7, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        speaker().reset();
        open_bridge bridge;
        speaker().inject(c.kind, {}, 0, 1, c.value);
        const spi_transfer_settings read =
            bridge_get_spi_settings(bridge.device, bridge_settings::current);
        EXPECT_EQ(read.status, c.status);
        EXPECT_EQ(read.bit_rate, 0);
        EXPECT_EQ(speaker().reports().at(0).arrived_us > 0, c.arrived);
        // The next command gets its own reply, not a stale one.
        EXPECT_EQ(bridge_get_spi_settings(bridge.device, bridge_settings::current).bit_rate,
                  1000000);
    }
}

TEST_F(Bridge, LateReplyIsAwaitedAndSetCommandsReportFailures)
{
    using test_support::virtual_clock;
    open_bridge bridge;
    // Three empty reads: a 1 ms sleep follows each repeated read, the last one's too.
    speaker().inject(report_fault::late_reply, {}, 0, 1, 3);
    EXPECT_EQ(bridge_get_chip_settings(bridge.device, bridge_settings::current).status, 0);
    EXPECT_EQ(virtual_clock::sleep_count(), 3u + 1u) << "and the report's own 1 ms";
    // A silent bridge is given up after a second on the clock.
    speaker().inject(report_fault::late_reply, {}, 0, 1, 0xFF);
    EXPECT_EQ(bridge_get_chip_settings(bridge.device, bridge_settings::current).status, -3);
    EXPECT_EQ(virtual_clock::now_ms(), 4u + 1001u);
    speaker().inject(report_fault::bridge_status, {bp::command::set_chip_settings, {}}, 0, 1, 0xF7);
    EXPECT_EQ(bridge_set_chip_settings(bridge.device, bridge_settings::current, {}), 0xF7);
    // A bridge that stays busy is still a failure.
    speaker().inject(report_fault::bridge_status, {bp::command::set_chip_settings, {}}, 0,
                     emulated_speaker::always, bp::bridge_status::busy);
    EXPECT_EQ(bridge_set_chip_settings(bridge.device, bridge_settings::current, {}),
              bp::bridge_status::busy);
}

class BridgeTransfer : public EmulatedSpeakerTest
{
protected:
    void SetUp() override
    {
        EmulatedSpeakerTest::SetUp();
        link = std::make_unique<open_bridge>();
        chip_settings chip = bridge_get_chip_settings(link->device, bridge_settings::current);
        chip.pins[1].designation = 1;
        ASSERT_EQ(bridge_set_chip_settings(link->device, bridge_settings::current, chip), 0);
        set_transaction(13);
        speaker().clear_history();
    }
    void set_transaction(std::uint32_t bytes)
    {
        spi_transfer_settings spi = bridge_get_spi_settings(link->device, bridge_settings::current);
        spi.active_chip_select = 0x1FD;
        // Fast enough that no packet is still being clocked when the next report comes.
        spi.bit_rate = 3000000;
        spi.chip_select_to_data_delay = 0;
        spi.between_bytes_delay = 0;
        spi.last_byte_to_chip_select_delay = 0;
        spi.bytes_per_transaction = bytes;
        spi.spi_mode = 3;
        ASSERT_EQ(bridge_set_spi_settings(link->device, bridge_settings::current, spi), 0);
    }

    void TearDown() override
    {
        link.reset();
        EmulatedSpeakerTest::TearDown();
    }

    static void expect_tag(const spi_transfer_result& result)
    {
        ASSERT_EQ(result.count, 9u);
        EXPECT_TRUE(std::equal(result.data.begin(), result.data.begin() + 9,
                               speaker().flash(0x1F0000, 9).begin()));
    }

    std::unique_ptr<open_bridge> link;
    // A 9-byte read of the model tag: the command, then filler.
    std::array<std::uint8_t, 60> read_tag{bp::flash_opcode::read, 0x1F, 0x00, 0x00};
};

TEST_F(BridgeTransfer, ExchangeRepeatsUntilFinishedAndReturnsTheLastReply)
{
    const spi_transfer_result result = bridge_spi_exchange(link->device, read_tag.data(), 4, 9);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.engine_status, bp::engine_status::finished);
    expect_tag(result);
    // Each answer comes before its packet is clocked: count, engine status and first byte of
    // "started" with nothing, the command's 4 bytes (0xFF from the flash), then the tag.
    std::vector<std::vector<std::uint8_t>> answers;
    for (const auto& report : speaker().reports())
        answers.emplace_back(report.reply.begin() + 2, report.reply.begin() + 5);
    EXPECT_EQ(answers, (std::vector<std::vector<std::uint8_t>>{
                           {0, 0x20, 0}, {4, 0x30, 0xFF}, {9, 0x10, 0xD2}}));

    // Clocked whole by the first transfer: one more to hear it finished.
    set_transaction(4);
    speaker().clear_history();
    EXPECT_EQ(bridge_spi_exchange(link->device, read_tag.data(), 4, 0).engine_status,
              bp::engine_status::finished);
    EXPECT_EQ(speaker().report_count(), 2u);

    // Each packet in the middle brings the one before; the transfer answered "finished" is
    // not clocked: 8 bytes reach the flash, the command and the first two repeats.
    set_transaction(8);
    speaker().clear_history();
    const spi_transfer_result last = bridge_spi_exchange(link->device, read_tag.data(), 4, 2);
    EXPECT_EQ(last.status, 0);
    EXPECT_EQ(last.engine_status, bp::engine_status::finished);
    const std::vector<std::uint8_t> tag = speaker().flash(0x1F0000, 4);
    answers.clear();
    for (const auto& report : speaker().reports())
        answers.emplace_back(report.reply.begin() + 2, report.reply.begin() + 5);
    EXPECT_EQ(answers, (std::vector<std::vector<std::uint8_t>>{
                           {0, 0x20, 0}, {4, 0x30, 0xFF}, {2, 0x30, tag[0]}, {2, 0x10, tag[2]}}));
    EXPECT_EQ(last.data[1], tag[3]);
    ASSERT_EQ(speaker().flash_commands().size(), 1u);
    EXPECT_EQ(speaker().flash_commands()[0].bytes,
              (std::vector<std::uint8_t>{0x03, 0x1F, 0x00, 0x00, 0x03, 0x1F, 0x03, 0x1F}));

    // A repeat length of 0 repeats with the length.
    set_transaction(8);
    speaker().clear_history();
    EXPECT_EQ(bridge_spi_exchange(link->device, read_tag.data(), 4, 0).count, 4u);
    const auto payloads = sent_payloads();
    ASSERT_EQ(payloads.size(), 3u);
    EXPECT_EQ(payloads[1][1], 4);
    EXPECT_EQ(payloads[2][1], 4);
}

// Whatever left it open, the transaction is cancelled before the next command: else that
// command's bytes would go to the flash as part of the old one. One that a program killed in
// the middle left is found only when the bridge refuses new settings as busy.
TEST_F(BridgeTransfer, TransactionLeftUnfinishedIsCancelledBeforeTheNextCommand)
{
    const struct
    {
        const char* name;
        std::uint32_t transaction;
        std::function<spi_transfer_result()> leave;
        int status;
        std::uint64_t transfers;
        std::size_t cancel_at; ///< among the reports of the next command
    } cases[] = {
        {"repeat lost", 13,
         [&] {
             speaker().inject(report_fault::write_fails, {bp::command::spi_transfer, {}}, 1, 1);
             return bridge_spi_exchange(link->device, read_tag.data(), 4, 9);
         },
         -2, 2, 0},
        {"engine still started", 13,
         [&] { return bridge_spi_transfer(link->device, read_tag.data(), 4); }, 0, 1, 0},
        {"repeat limit reached", 2000,
         [&] { return bridge_spi_exchange(link->device, read_tag.data(), 4, 1); }, -3, 1001, 0},
        {"program killed", 13,
         [&] {
             const spi_transfer_result started =
                 bridge_spi_transfer(link->device, read_tag.data(), 4);
             link.reset();
             link = std::make_unique<open_bridge>();
             return started;
         },
         0, 1, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        set_transaction(c.transaction);
        speaker().clear_history();
        EXPECT_EQ(c.leave().status, c.status);
        EXPECT_EQ(speaker().report_count(), c.transfers);
        // The killed program's close left the transaction: the one violation, then cleared.
        EXPECT_EQ(speaker().violations(),
                  c.cancel_at > 0 ? std::vector<std::string>{"bridge: a transaction was left "
                                                             "unfinished at close"}
                                  : std::vector<std::string>{});
        speaker().clear_history();
        set_transaction(13);
        expect_tag(bridge_spi_exchange(link->device, read_tag.data(), 4, 9));
        EXPECT_EQ(sent_payloads().at(c.cancel_at)[0], bp::command::cancel_spi_transfer);
    }
}

// A packet of 60 bytes at 3 Mbit/s with 5 ms between bytes takes 295.16 ms to clock: the bridge
// is given 296 ms and a margin of 50 ms from its first busy answer, which the bridge layer takes
// 2 ms after it reached the bridge (its way back and a 1 ms poll).
TEST_F(BridgeTransfer, BridgeThatStaysBusyIsTriedUntilTheDeadlineAndNoLonger)
{
    spi_transfer_settings spi = bridge_get_spi_settings(link->device, bridge_settings::current);
    spi.between_bytes_delay = 50;
    spi.bytes_per_transaction = 120;
    ASSERT_EQ(bridge_set_spi_settings(link->device, bridge_settings::current, spi), 0);
    const std::array<std::uint8_t, 60> packet{bp::flash_opcode::read};
    speaker().inject(report_fault::bridge_status, {bp::command::spi_transfer, {}}, 1,
                     emulated_speaker::always, bp::bridge_status::busy);
    speaker().clear_history();
    EXPECT_EQ(bridge_spi_exchange(link->device, packet.data(), 60, 60).status,
              bp::bridge_status::busy);
    std::vector<std::uint64_t> busy_us;
    for (const auto& report : speaker().reports())
        if (report.reply.at(1) == bp::bridge_status::busy)
            busy_us.push_back(report.arrived_us);
    ASSERT_EQ(busy_us.size(), 15u);
    EXPECT_EQ(busy_us[1] - busy_us[0], 296000u) << "tried again once the packet was clocked";
    EXPECT_EQ(busy_us.back() - busy_us[0], (2 + 296 + 50 + 1) * 1000u)
        << "the last attempt is sent at the deadline (and arrives 1 ms later)";
    // The transaction it left is cancelled before the next command.
    EXPECT_EQ(bridge_get_chip_settings(link->device, bridge_settings::current).status, 0);
    EXPECT_EQ(sent_payloads().back()[0], bp::command::get_chip_settings);
    EXPECT_EQ(sent_payloads().rbegin()[1][0], bp::command::cancel_spi_transfer);
}

TEST_F(BridgeTransfer, CountIsClampedToWhatArrivedAndAnOverlongTransferIsRefusedUnsent)
{
    const struct
    {
        const char* name;
        report_fault kind;
        std::uint8_t value;
        std::uint32_t count;
    } cases[] = {
        {"count above 60", report_fault::wrong_count, 200, 60},
        {"count above the reply", report_fault::short_reply, 10, 6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        set_transaction(13);
        speaker().inject(c.kind, {}, 2, 1, c.value);
        const spi_transfer_result result = bridge_spi_exchange(link->device, read_tag.data(), 4, 9);
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.count, c.count);
    }
    speaker().clear_history();
    std::array<std::uint8_t, 61> data{};
    EXPECT_EQ(bridge_spi_transfer(link->device, data.data(), 61).status, -2);
    EXPECT_EQ(speaker().report_count(), 0u);
}

} // namespace
