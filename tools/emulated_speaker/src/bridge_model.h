// The MCP2210-compatible bridge of the emulated speaker: answers the command reports, keeps the
// current and power-up settings, drives the flash's chip select from the pin designations and
// the chip-select levels, and clocks SPI transactions of bytes_per_transaction bytes.
#pragma once

#include "spi_flash_model.h"

#include <emulated_speaker/speaker.h>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace emulated_speaker {

class bridge_model
{
public:
    using payload = std::array<std::uint8_t, 64>;
    using violation_sink = std::function<void(const std::string&)>;

    /// The pin that selects the flash.
    static constexpr unsigned flash_chip_select_pin = 1;

    bridge_model(spi_flash_model& flash, violation_sink report_violation);

    /// Power-up state: the power-up settings become current, no transaction runs.
    void reset();
    /// The power-up settings the bridge left the factory with, then reset().
    void factory_reset();
    /// Acts on one command and returns the reply.
    payload answer(const payload& command);
    /// The flash opcode an SPI transfer command belongs to: the running command's, or the
    /// first data byte when it starts a transaction; nothing for other commands.
    std::optional<std::uint8_t> flash_opcode_of(const payload& command) const;
    bridge_state state() const;

private:
    static void put_spi(payload& reply, const spi_state& bank);
    static spi_state take_spi(const payload& command);
    static void put_chip(payload& reply, const chip_state& bank);
    static chip_state take_chip(const payload& command);

    void transfer(const payload& command, payload& reply);
    void start_transaction();
    void end_transaction();
    void abort_transaction();

    spi_flash_model& flash_;
    violation_sink report_violation_;
    spi_state spi_;
    spi_state spi_power_up_;
    chip_state chip_;
    chip_state chip_power_up_;

    bool transaction_running_ = false;
    bool first_transfer_ = false;
    bool flash_selected_ = false;
    std::uint32_t bytes_left_ = 0;
};

} // namespace emulated_speaker
