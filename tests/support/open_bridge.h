// A bridge handle for tests of the lowest layers, closed (with hidapi released) on every way
// out; a fixture holding the link to the flash open for a whole test; and the bytes of the
// reports the emulated speaker saw.
#pragma once

#include <speaker_link/device/bridge.h>
#include <speaker_link/device/bridge_protocol.h>
#include <speaker_link/device/dsp_session.h>

#include <support/emulated_speaker_fixture.h>

#include <emulated_speaker/speaker.h>

#include <cstdint>
#include <memory>
#include <vector>

struct open_bridge
{
    open_bridge() : device(bridge_open()) {}
    ~open_bridge() { bridge_close(device); }
    open_bridge(const open_bridge&) = delete;
    open_bridge& operator=(const open_bridge&) = delete;

    hid_device* device;
};

/// The link to the flash, opened before the test (its reports cleared from the history) and
/// closed after it.
class FlashSessionTest : public EmulatedSpeakerTest
{
protected:
    void SetUp() override
    {
        EmulatedSpeakerTest::SetUp();
        guard_ = std::make_unique<dsp_session_guard>();
        speaker().clear_history();
    }
    void TearDown() override
    {
        guard_.reset();
        EmulatedSpeakerTest::TearDown();
    }
    const dsp_session& session() const { return guard_->session(); }
    hid_device* device() const { return guard_->device(); }

private:
    std::unique_ptr<dsp_session_guard> guard_;
};

/// Which output reports sent_payloads() lists.
enum class refused_reports
{
    included,
    left_out ///< those the bridge refused as busy (sent again later)
};

/// The output reports since the last clear, each without its report number: payload bytes.
inline std::vector<std::vector<std::uint8_t>>
sent_payloads(refused_reports refused = refused_reports::included)
{
    std::vector<std::vector<std::uint8_t>> payloads;
    for (const auto& report : emulated_speaker::speaker::instance().reports())
        if (refused == refused_reports::included || report.reply.size() < 2 ||
            report.reply[1] != bridge_protocol::bridge_status::busy)
            payloads.emplace_back(report.output.begin() + 1, report.output.end());
    return payloads;
}
