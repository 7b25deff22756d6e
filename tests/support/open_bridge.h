// A bridge handle for tests of the lowest layers, closed (with hidapi released) on every way
// out, and the bytes of the reports the emulated speaker saw.
#pragma once

#include <speaker_link/bridge.h>
#include <speaker_link/bridge_protocol.h>

#include <emulated_speaker/speaker.h>

#include <cstdint>
#include <vector>

struct open_bridge
{
    open_bridge() : device(bridge_open()) {}
    ~open_bridge() { bridge_close(device); }
    open_bridge(const open_bridge&) = delete;
    open_bridge& operator=(const open_bridge&) = delete;

    hid_device* device;
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
