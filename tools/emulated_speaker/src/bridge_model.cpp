// The bridge model, in time as the MCP2210 datasheet has it. The first transfer of a transaction
// is answered "started" with no data and clocked after the reply; each later transfer is
// answered with the bytes clocked during the previous packet ("data available") and then
// clocked itself; once every byte of the transaction is clocked, the next transfer is answered
// "finished" with the last packet's bytes and its own payload is not clocked. A transfer that
// comes while a packet is still being clocked, and a settings change while a transaction is
// unfinished, are refused as busy. Only a cancel ends an unfinished transaction.
#include "bridge_model.h"

#include <speaker_link/device/bridge_protocol.h>

#include <algorithm>
#include <utility>

namespace emulated_speaker {
namespace {

namespace bp = bridge_protocol;
namespace spi_layout = bridge_protocol::spi_settings_layout;
namespace chip_layout = bridge_protocol::chip_settings_layout;

void put16(bridge_model::payload& bytes, std::size_t offset, std::uint16_t value)
{
    bytes[offset] = static_cast<std::uint8_t>(value);
    bytes[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

std::uint16_t take16(const bridge_model::payload& bytes, std::size_t offset)
{
    return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

// Chip-select fields carry GP0..GP7 in the first byte and GP8 in bit 0 of the second.
void put_pins(bridge_model::payload& bytes, std::size_t offset, std::uint16_t value)
{
    bytes[offset] = static_cast<std::uint8_t>(value);
    bytes[offset + 1] = static_cast<std::uint8_t>((value >> 8) & 1);
}

std::uint16_t take_pins(const bridge_model::payload& bytes, std::size_t offset)
{
    return static_cast<std::uint16_t>(bytes[offset] | ((bytes[offset + 1] & 1) << 8));
}

} // namespace

bridge_model::bridge_model(spi_flash_model& flash, violation_sink report_violation)
    : flash_(flash), report_violation_(std::move(report_violation))
{
    factory_reset();
}

void bridge_model::factory_reset()
{
    // What the speaker's bridge holds when it leaves the factory: every pin a general-purpose
    // input, so the flash stays deselected until the panel configures the link.
    spi_power_up_ = spi_state{};
    chip_power_up_ = chip_state{};
    // Non-zero delays, as a speaker's maker would set them: the shortest the bridge offers,
    // 100 us each. The panel keeps the chip-select-to-data and between-bytes delays it finds,
    // so a 60-byte packet takes about 6 ms to clock, six USB frames.
    spi_power_up_.bit_rate = 1000000;
    spi_power_up_.idle_chip_select = 0x1FF;
    spi_power_up_.active_chip_select = 0x1FF;
    spi_power_up_.chip_select_to_data_delay = 1;
    spi_power_up_.last_byte_to_chip_select_delay = 1;
    spi_power_up_.between_bytes_delay = 1;
    spi_power_up_.bytes_per_transaction = 4;
    spi_power_up_.spi_mode = 0;
    for (pin_state& pin : chip_power_up_.pins) {
        pin.designation = bp::designation::general_purpose;
        pin.default_output = 1;
        pin.default_direction = 1;
    }
    chip_power_up_.other_settings = 0x0B; // interrupt mode 5, bus release on
    reset();
}

void bridge_model::reset()
{
    spi_ = spi_power_up_;
    chip_ = chip_power_up_;
    transaction_running_ = false;
    flash_selected_ = false;
    bytes_left_ = 0;
    transaction_opcode_.reset();
    received_.clear();
    clocking_until_us_ = 0;
}

void bridge_model::power_cycle(std::uint64_t now_us)
{
    if (flash_selected_) {
        flash_.set_time(now_us);
        flash_.abort();
    }
    reset();
}

void bridge_model::put_spi(payload& reply, const spi_state& bank)
{
    for (int i = 0; i < 4; ++i)
        reply[spi_layout::bit_rate + i] = static_cast<std::uint8_t>(bank.bit_rate >> (8 * i));
    put_pins(reply, spi_layout::idle_chip_select, bank.idle_chip_select);
    put_pins(reply, spi_layout::active_chip_select, bank.active_chip_select);
    put16(reply, spi_layout::chip_select_to_data_delay, bank.chip_select_to_data_delay);
    put16(reply, spi_layout::last_byte_to_chip_select_delay, bank.last_byte_to_chip_select_delay);
    put16(reply, spi_layout::between_bytes_delay, bank.between_bytes_delay);
    put16(reply, spi_layout::bytes_per_transaction, bank.bytes_per_transaction);
    reply[spi_layout::spi_mode] = bank.spi_mode;
}

spi_state bridge_model::take_spi(const payload& command)
{
    spi_state bank;
    for (int i = 3; i >= 0; --i)
        bank.bit_rate = (bank.bit_rate << 8) | command[spi_layout::bit_rate + i];
    bank.idle_chip_select = take_pins(command, spi_layout::idle_chip_select);
    bank.active_chip_select = take_pins(command, spi_layout::active_chip_select);
    bank.chip_select_to_data_delay = take16(command, spi_layout::chip_select_to_data_delay);
    bank.last_byte_to_chip_select_delay =
        take16(command, spi_layout::last_byte_to_chip_select_delay);
    bank.between_bytes_delay = take16(command, spi_layout::between_bytes_delay);
    bank.bytes_per_transaction = take16(command, spi_layout::bytes_per_transaction);
    bank.spi_mode = command[spi_layout::spi_mode];
    return bank;
}

void bridge_model::put_chip(payload& reply, const chip_state& bank)
{
    std::uint16_t outputs = 0;
    std::uint16_t directions = 0;
    for (std::size_t pin = 0; pin < chip_layout::pin_count; ++pin) {
        reply[chip_layout::designations + pin] = bank.pins[pin].designation;
        outputs =
            static_cast<std::uint16_t>(outputs | ((bank.pins[pin].default_output & 1) << pin));
        directions = static_cast<std::uint16_t>(directions |
                                                ((bank.pins[pin].default_direction & 1) << pin));
    }
    put_pins(reply, chip_layout::default_output, outputs);
    put_pins(reply, chip_layout::default_direction, directions);
    reply[chip_layout::other_settings] = bank.other_settings;
    reply[chip_layout::access_control] = bank.access_control;
    // The bridge shows its password only to the panel that set the protection.
    if (bank.access_control == chip_layout::password_protected)
        std::copy(bank.password.begin(), bank.password.end(),
                  reply.begin() + chip_layout::password);
}

chip_state bridge_model::take_chip(const payload& command)
{
    chip_state bank;
    const std::uint16_t outputs = take_pins(command, chip_layout::default_output);
    const std::uint16_t directions = take_pins(command, chip_layout::default_direction);
    for (std::size_t pin = 0; pin < chip_layout::pin_count; ++pin) {
        bank.pins[pin].designation = command[chip_layout::designations + pin];
        bank.pins[pin].default_output = static_cast<std::uint8_t>((outputs >> pin) & 1);
        bank.pins[pin].default_direction = static_cast<std::uint8_t>((directions >> pin) & 1);
    }
    bank.other_settings = command[chip_layout::other_settings];
    bank.access_control = command[chip_layout::access_control];
    if (bank.access_control == chip_layout::password_protected)
        std::copy_n(command.begin() + chip_layout::password, chip_layout::password_size_bytes,
                    bank.password.begin());
    return bank;
}

std::optional<std::uint8_t> bridge_model::flash_opcode_of(const payload& command) const
{
    if (command[bp::command_offset] != bp::command::spi_transfer)
        return std::nullopt;
    if (transaction_running_)
        return transaction_opcode_;
    if (command[bp::sub_command_offset] == 0)
        return std::nullopt;
    return command[bp::data_offset];
}

bridge_model::payload bridge_model::answer(const payload& command, std::uint64_t now_us)
{
    payload reply{};
    const std::uint8_t code = command[bp::command_offset];
    reply[bp::command_offset] = code;
    reply[bp::status_offset] = bp::bridge_status::accepted;
    const bool changes_settings = code == bp::command::set_spi_settings ||
                                  code == bp::command::set_chip_settings ||
                                  code == bp::command::set_power_up_settings;
    if (changes_settings && transaction_running_) {
        reply[bp::status_offset] = bp::bridge_status::busy;
        return reply;
    }
    switch (code) {
    case bp::command::get_spi_settings:
        put_spi(reply, spi_);
        break;
    case bp::command::set_spi_settings:
        spi_ = take_spi(command);
        break;
    case bp::command::get_chip_settings:
        put_chip(reply, chip_);
        break;
    case bp::command::set_chip_settings:
        chip_ = take_chip(command);
        break;
    case bp::command::get_power_up_settings:
    case bp::command::set_power_up_settings: {
        const std::uint8_t which = command[bp::sub_command_offset];
        const bool get = code == bp::command::get_power_up_settings;
        reply[bp::sub_command_offset + 1] = which;
        if (which == bp::power_up::spi_settings) {
            if (get)
                put_spi(reply, spi_power_up_);
            else
                spi_power_up_ = take_spi(command);
        } else if (which == bp::power_up::chip_settings) {
            if (get)
                put_chip(reply, chip_power_up_);
            else
                chip_power_up_ = take_chip(command);
        } else {
            report_violation_("bridge: unknown power-up settings " + std::to_string(which));
            reply[bp::status_offset] = bp::bridge_status::unknown_command;
        }
        break;
    }
    case bp::command::spi_transfer:
        transfer(command, reply, now_us);
        break;
    case bp::command::cancel_spi_transfer:
        // Bytes 2-5 (external bus requests, bus owner, password attempts) stay 0: the bus is
        // the bridge's own and no password was tried.
        cancel_transaction(now_us);
        break;
    default:
        report_violation_("bridge: unknown command " + std::to_string(code));
        reply[bp::status_offset] = bp::bridge_status::unknown_command;
        break;
    }
    return reply;
}

void bridge_model::start_transaction()
{
    transaction_running_ = true;
    bytes_left_ = spi_.bytes_per_transaction;
    const pin_state& pin = chip_.pins[flash_chip_select_pin];
    const std::uint16_t mask = 1u << flash_chip_select_pin;
    const bool is_chip_select = pin.designation == bp::designation::chip_select;
    flash_selected_ = is_chip_select && (spi_.active_chip_select & mask) == 0;
    if (is_chip_select && (spi_.idle_chip_select & mask) == 0)
        report_violation_("bridge: the flash stays selected while idle");
    if (flash_selected_ && spi_.spi_mode != 0 && spi_.spi_mode != 3) {
        report_violation_("bridge: SPI mode " + std::to_string(spi_.spi_mode) +
                          " does not reach the flash");
        flash_selected_ = false;
    }
    transaction_opcode_.reset();
    if (flash_selected_)
        flash_.select();
}

void bridge_model::release_chip_select(std::uint64_t now_us)
{
    if (flash_selected_) {
        flash_.set_time(now_us);
        flash_.deselect();
    }
    flash_selected_ = false;
}

void bridge_model::end_transaction(std::uint64_t now_us)
{
    release_chip_select(now_us);
    transaction_running_ = false;
    bytes_left_ = 0;
    transaction_opcode_.reset();
    received_.clear();
    clocking_until_us_ = 0;
}

std::uint64_t bridge_model::packet_time_us(std::size_t bytes, bool first, bool last) const
{
    // A bit rate of 0 cannot clock at all; take the slowest the bridge offers instead.
    const std::uint64_t bit_rate = std::max<std::uint32_t>(spi_.bit_rate, 1500);
    std::uint64_t time_us = (bytes * 8 * 1000000 + bit_rate - 1) / bit_rate;
    if (bytes > 1)
        time_us += (bytes - 1) * std::uint64_t{spi_.between_bytes_delay} * bp::delay_unit_us;
    if (first)
        time_us += std::uint64_t{spi_.chip_select_to_data_delay} * bp::delay_unit_us;
    if (last)
        time_us += std::uint64_t{spi_.last_byte_to_chip_select_delay} * bp::delay_unit_us;
    return time_us;
}

void bridge_model::clock_packet(const payload& command, std::size_t length, std::uint64_t now_us)
{
    const bool first = bytes_left_ == spi_.bytes_per_transaction;
    const std::size_t clocked = std::min<std::size_t>(length, bytes_left_);
    if (length > clocked)
        report_violation_("bridge: " + std::to_string(length - clocked) +
                          " bytes beyond the end of the transaction");
    received_.clear();
    flash_.set_time(now_us);
    packet_start_us_ = now_us;
    packet_first_ = first;
    packet_bytes_ = clocked;
    flash_bytes_before_packet_ = flash_.clocked_count();
    for (std::size_t i = 0; i < clocked; ++i) {
        const std::uint8_t mosi = command[bp::data_offset + i];
        received_.push_back(flash_selected_ ? flash_.clock(mosi) : std::uint8_t{0xFF});
    }
    if (flash_selected_ && !transaction_opcode_ && clocked > 0)
        transaction_opcode_ = command[bp::data_offset];
    bytes_left_ -= static_cast<std::uint32_t>(clocked);
    clocking_until_us_ = now_us + packet_time_us(clocked, first, bytes_left_ == 0);
}

void bridge_model::cancel_transaction(std::uint64_t now_us)
{
    if (!transaction_running_)
        return;
    if (now_us < clocking_until_us_ && flash_selected_) {
        // The chip select rises while the packet is clocked: in the middle of a byte the flash
        // drops the command, between bytes it acts on the bytes it got.
        flash_.set_time(now_us);
        const std::optional<std::size_t> clocked = packet_bytes_clocked_by(now_us);
        if (clocked)
            flash_.cut(flash_bytes_before_packet_ + *clocked);
        else
            flash_.abort();
        flash_selected_ = false;
    }
    end_transaction(std::min(now_us, clocking_until_us_));
}

std::optional<std::size_t> bridge_model::packet_bytes_clocked_by(std::uint64_t now_us) const
{
    // In nanoseconds: at 3 Mbit/s a byte's bits take 2.67 microseconds.
    const std::uint64_t bit_rate = std::max<std::uint32_t>(spi_.bit_rate, 1500);
    const std::uint64_t byte_ns = 8000000000 / bit_rate;
    const std::uint64_t period_ns =
        byte_ns + std::uint64_t{spi_.between_bytes_delay} * bp::delay_unit_us * 1000;
    const std::uint64_t start_ns =
        packet_start_us_ * 1000 +
        (packet_first_ ? std::uint64_t{spi_.chip_select_to_data_delay} * bp::delay_unit_us * 1000
                       : 0);
    if (now_us * 1000 <= start_ns)
        return 0;
    const std::uint64_t elapsed_ns = now_us * 1000 - start_ns;
    const std::uint64_t whole_periods = elapsed_ns / period_ns;
    if (whole_periods >= packet_bytes_)
        return packet_bytes_;
    if (elapsed_ns % period_ns < byte_ns)
        return std::nullopt; // a byte is on the wire
    return whole_periods + 1;
}

void bridge_model::transfer(const payload& command, payload& reply, std::uint64_t now_us)
{
    const std::size_t length = command[bp::sub_command_offset];
    if (length > bp::max_transfer_bytes) {
        report_violation_("bridge: transfer of " + std::to_string(length) + " bytes");
        reply[bp::engine_status_offset] = bp::engine_status::finished;
        return;
    }
    if (!transaction_running_) {
        if (length == 0) {
            report_violation_("bridge: empty transfer outside a transaction");
            reply[bp::engine_status_offset] = bp::engine_status::finished;
            return;
        }
        if (spi_.bytes_per_transaction == 0) {
            report_violation_("bridge: transfer with 0 bytes per transaction");
            reply[bp::engine_status_offset] = bp::engine_status::finished;
            return;
        }
        flash_.set_time(now_us);
        start_transaction();
        // The clocking starts after this reply; its bytes come with the next one.
        clock_packet(command, length, now_us);
        reply[bp::engine_status_offset] = bp::engine_status::started;
        return;
    }
    if (now_us < clocking_until_us_) {
        reply[bp::status_offset] = bp::bridge_status::busy;
        return;
    }
    reply[bp::transfer_count_offset] = static_cast<std::uint8_t>(received_.size());
    std::copy(received_.begin(), received_.end(), reply.begin() + bp::data_offset);
    if (bytes_left_ == 0) {
        // Everything was clocked: this payload is not, and the transaction is over. The chip
        // select rose after the last byte, which is when the flash acted on its command.
        reply[bp::engine_status_offset] = bp::engine_status::finished;
        end_transaction(clocking_until_us_);
        return;
    }
    reply[bp::engine_status_offset] = bp::engine_status::data_available;
    clock_packet(command, length, now_us);
}

bridge_state bridge_model::state() const
{
    return {chip_, spi_};
}

} // namespace emulated_speaker
