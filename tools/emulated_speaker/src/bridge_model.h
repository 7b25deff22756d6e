// The MCP2210-compatible bridge of the emulated speaker: answers the command reports, keeps the
// current and power-up settings, drives the flash's chip select from the pin designations and
// the chip-select levels, and clocks SPI transactions of bytes_per_transaction bytes in time:
// a packet is clocked after its reply, its received bytes come with the next reply.
#pragma once

#include "spi_flash_model.h"

#include <emulated_speaker/speaker.h>

#include <speaker_link/device/bridge_protocol.h>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace emulated_speaker {

class bridge_model
{
public:
    using payload = std::array<std::uint8_t, bridge_protocol::payload_size_bytes>;
    using violation_sink = std::function<void(const std::string&)>;

    /// The pin that selects the flash.
    static constexpr unsigned flash_chip_select_pin = 1;

    bridge_model(spi_flash_model& flash, violation_sink report_violation);

    /// Power-up state: the power-up settings become current, no transaction runs.
    void reset();
    /// The power is lost at `now_us` (unplugged): a command being clocked is cut short, then
    /// reset().
    void power_cycle(std::uint64_t now_us);
    /// The power-up settings the bridge left the factory with, then reset().
    void factory_reset();
    /// Acts on one command that reaches the bridge at `now_us` (virtual microseconds) and
    /// returns the reply.
    payload answer(const payload& command, std::uint64_t now_us);
    /// True from the first transfer of a transaction until the reply that says it finished,
    /// or a cancel.
    bool transaction_open() const { return transaction_running_; }
    /// When the last packet's clocking ends (virtual microseconds).
    std::uint64_t clocked_by_us() const { return clocking_until_us_; }
    /// The flash opcode an SPI transfer command belongs to: the running command's, or the
    /// first data byte when it starts a transaction; nothing for other commands.
    std::optional<std::uint8_t> flash_opcode_of(const payload& command) const;
    bridge_state state() const;

private:
    static void put_spi(payload& reply, const spi_state& bank);
    static spi_state take_spi(const payload& command);
    static void put_chip(payload& reply, const chip_state& bank);
    static chip_state take_chip(const payload& command);

    void transfer(const payload& command, payload& reply, std::uint64_t now_us);
    void clock_packet(const payload& command, std::size_t length, std::uint64_t now_us);
    std::uint64_t packet_time_us(std::size_t bytes, bool first, bool last) const;
    std::optional<std::size_t> packet_bytes_clocked_by(std::uint64_t now_us) const;
    void start_transaction();
    void release_chip_select(std::uint64_t now_us);
    void cancel_transaction(std::uint64_t now_us);
    void end_transaction(std::uint64_t now_us);

    spi_flash_model& flash_;
    violation_sink report_violation_;
    spi_state spi_;
    spi_state spi_power_up_;
    chip_state chip_;
    chip_state chip_power_up_;

    bool transaction_running_ = false;
    bool flash_selected_ = false;
    std::uint32_t bytes_left_ = 0;
    /// The flash opcode of the running transaction, when it reaches the flash.
    std::optional<std::uint8_t> transaction_opcode_;
    /// What the flash sent back while the last packet was clocked: the next reply's data.
    std::vector<std::uint8_t> received_;
    /// When the last packet's clocking ends; a transfer before then is answered busy.
    std::uint64_t clocking_until_us_ = 0;
    /// The last packet: when its clocking began, whether it opened the transaction, its bytes,
    /// and the flash's byte count before it.
    std::uint64_t packet_start_us_ = 0;
    bool packet_first_ = false;
    std::size_t packet_bytes_ = 0;
    std::size_t flash_bytes_before_packet_ = 0;
};

} // namespace emulated_speaker
