// Opening, configuring, releasing and closing the link to the flash. A missing bridge, and the
// guard that closes the link on every way out, are checked by the settings block's failure tests.
#include <speaker_link/device/dsp_session.h>

#include <speaker_link/device/bridge_protocol.h>
#include <speaker_link/device/dsp_error.h>

#include <support/emulated_speaker_fixture.h>
#include <support/open_bridge.h>

namespace {

namespace bp = bridge_protocol;
using emulated_speaker::report_fault;
using DspSession = EmulatedSpeakerTest;

TEST_F(DspSession, OpenConfiguresPinsAndSpiParametersForTheFlash)
{
    dsp_session session;
    open_dsp_session(session);
    EXPECT_EQ(session.settings_block_address, 0x1D0000u);
    ASSERT_NE(session.device, nullptr);

    const auto payloads = sent_payloads();
    ASSERT_EQ(payloads.size(), 4u);
    EXPECT_EQ(payloads[0][0], bp::command::get_chip_settings);
    EXPECT_EQ(payloads[1][0], bp::command::set_chip_settings);
    // GP0 general purpose, GP1 chip select; every other pin as read (general purpose).
    EXPECT_EQ(std::vector<std::uint8_t>(payloads[1].begin() + 4, payloads[1].begin() + 13),
              (std::vector<std::uint8_t>{0, 1, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(payloads[1][13], 0xFE) << "GP0 low, the others as read (high)";
    EXPECT_EQ(payloads[1][15], 0xFC) << "GP0 and GP1 outputs";
    EXPECT_EQ(payloads[1][17], 0x0B) << "other settings as read";
    EXPECT_EQ(payloads[2][0], bp::command::get_spi_settings);
    const std::vector<std::uint8_t> spi(payloads[3].begin(), payloads[3].begin() + 21);
    EXPECT_EQ(spi, (std::vector<std::uint8_t>{0x40, 0,    0,    0,    0xC0, 0xC6, 0x2D,
                                              0x00, 0xFF, 0x01, 0xFD, 0x01, 0x01, 0x00,
                                              0x00, 0x00, 0x01, 0x00, 0x02, 0x00, 0x03}));
    close_dsp_session(session);
}

TEST_F(DspSession, BridgeThatCannotBeConfiguredIsInitFailedAndClosed)
{
    const struct
    {
        const char* name;
        std::uint8_t command;
        report_fault kind;
        std::size_t reports; // reports until the failure, the release after it
        const char* printed;
    } cases[] = {
        {"chip settings unreadable", bp::command::get_chip_settings, report_fault::read_fails, 3,
         ""},
        {"chip settings refused", bp::command::set_chip_settings, report_fault::bridge_status, 4,
         ""},
        {"SPI settings unreadable", bp::command::get_spi_settings, report_fault::wrong_echo, 5, ""},
        {"SPI settings refused", bp::command::set_spi_settings, report_fault::bridge_status, 6,
         "Error setting SPI parameters.\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        speaker().reset();
        speaker().inject(c.kind, {c.command, {}}, 0, 1, bp::bridge_status::bus_not_available);
        dsp_session session;
        testing::internal::CaptureStdout();
        EXPECT_THROW(open_dsp_session(session), error::dsp_init_failed);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.printed);
        EXPECT_EQ(session.device, nullptr);
        EXPECT_EQ(speaker().report_count(), c.reports);
        EXPECT_EQ(speaker().close_count(), 1u);
        EXPECT_EQ(speaker().exit_count(), 1u);
        EXPECT_EQ(speaker().bridge().chip.pins[0].default_output, 1) << "GP0 released";
    }
}

} // namespace
