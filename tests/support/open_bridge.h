// A bridge handle for tests of the lowest layers, closed (with hidapi released) on every way
// out, and the bytes of the reports the emulated speaker saw.
#pragma once

#include <speaker_link/bridge.h>

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

/// The output reports since the last clear, each without its report number: payload bytes.
inline std::vector<std::vector<std::uint8_t>> sent_payloads()
{
    std::vector<std::vector<std::uint8_t>> payloads;
    for (const auto& report : emulated_speaker::speaker::instance().reports())
        payloads.emplace_back(report.output.begin() + 1, report.output.end());
    return payloads;
}
