// The bridge command layer. Every command goes through run_command, which frames the report,
// writes it, waits a bounded time for the reply and checks echo, status and length before
// anything is decoded; the routines below only fill and decode fields.
#include <speaker_link/bridge.h>

#include <speaker_link/bridge_protocol.h>

#include <quarro/tools/clock.h>

#include <algorithm>
#include <cstddef>

namespace {

namespace bp = bridge_protocol;
namespace spi_layout = bridge_protocol::spi_settings_layout;
namespace chip_layout = bridge_protocol::chip_settings_layout;
using quarro::i32;
using quarro::u32;
using quarro::u8;

// hidapi's plain hid_read blocks for ever on a silent device (while the caller holds the
// device lock), so the reply is polled without blocking, 1 ms apart on the clock seam, within
// an overall bound. A bridge answers within a few milliseconds.
constexpr quarro::u64 reply_wait_limit_ms = 1000;
// Replies that arrived after their command was given up are dropped before the next command,
// so that they are never taken for its reply.
constexpr int stale_reply_limit = 16;
// A transaction is complete after a few transfers; a bridge that never says so is broken.
constexpr u32 exchange_repeat_limit = 1000;

using output_report = std::array<u8, bp::output_report_size>;
using input_report = std::array<u8, bp::input_report_size>;

class command_report
{
public:
    command_report(u8 code, u8 sub_command)
    {
        bytes_[0] = 0; // report number
        payload(bp::command_offset) = code;
        payload(bp::sub_command_offset) = sub_command;
    }
    u8& payload(std::size_t offset) { return bytes_.at(bp::report_number_size + offset); }
    void put16(std::size_t offset, u32 value)
    {
        payload(offset) = static_cast<u8>(value);
        payload(offset + 1) = static_cast<u8>(value >> 8);
    }
    // Chip-select and pin fields: GP0..GP7 in one byte, GP8 as bit 0 of the next.
    void put_pins(std::size_t offset, u32 value)
    {
        payload(offset) = static_cast<u8>(value);
        payload(offset + 1) = static_cast<u8>((value >> 8) & 1);
    }
    const output_report& bytes() const { return bytes_; }

private:
    output_report bytes_{};
};

struct reply
{
    input_report bytes{};
    std::size_t received = 0;

    u32 get16(std::size_t offset) const { return bytes[offset] | (u32{bytes[offset + 1]} << 8); }
    u32 get_pins(std::size_t offset) const
    {
        return bytes[offset] | ((u32{bytes[offset + 1]} & 1) << 8);
    }
};

void drop_stale_replies(hid_device* device)
{
    input_report discard{};
    for (int i = 0; i < stale_reply_limit; ++i)
        if (hid_read_timeout(device, discard.data(), discard.size(), 0) <= 0)
            return;
}

// Writes the command and reads its reply. Returns 0 when the bridge accepted it and at least
// `needed` reply bytes arrived; the bridge's status byte when it refused; bridge_write_failed
// or bridge_read_failed otherwise.
i32 run_command(hid_device* device, const command_report& command, reply& answer,
                std::size_t needed)
{
    drop_stale_replies(device);
    const output_report& report = command.bytes();
    if (hid_write(device, report.data(), report.size()) != static_cast<int>(report.size()))
        return bridge_write_failed;
    int received = hid_read_timeout(device, answer.bytes.data(), answer.bytes.size(), 0);
    const quarro::u64 started_ms = quarro::clock::now_ms();
    while (received == 0 && quarro::clock::now_ms() - started_ms < reply_wait_limit_ms) {
        received = hid_read_timeout(device, answer.bytes.data(), answer.bytes.size(), 0);
        quarro::clock::sleep_ms(1);
    }
    if (received < 0)
        return bridge_read_failed;
    answer.received = static_cast<std::size_t>(received);
    if (answer.received <= bp::status_offset ||
        answer.bytes[bp::command_offset] != report[bp::report_number_size + bp::command_offset])
        return bridge_read_failed;
    if (answer.bytes[bp::status_offset] != bp::bridge_status::accepted)
        return answer.bytes[bp::status_offset];
    return answer.received >= needed ? 0 : bridge_read_failed;
}

// The current settings have a command code of their own; the power-up settings share one code
// per direction and name the bank in the sub-command.
command_report settings_command(bridge_settings which, u8 current_code, u8 power_up_code,
                                u8 power_up_bank)
{
    if (which == bridge_settings::current)
        return command_report(current_code, 0);
    return command_report(power_up_code, power_up_bank);
}

} // namespace

hid_device* bridge_open()
{
    return hid_open(bp::vendor_id, bp::product_id, nullptr);
}

void bridge_close(hid_device* device)
{
    if (device != nullptr)
        hid_close(device);
    hid_exit();
}

spi_transfer_settings bridge_get_spi_settings(hid_device* device, bridge_settings which)
{
    command_report command =
        settings_command(which, bp::command::get_spi_settings, bp::command::get_power_up_settings,
                         bp::power_up::spi_settings);
    reply answer;
    spi_transfer_settings settings;
    settings.status = run_command(device, command, answer, spi_layout::spi_mode + 1);
    if (settings.status != 0)
        return settings;
    u32 bit_rate = 0;
    for (int i = 3; i >= 0; --i)
        bit_rate = (bit_rate << 8) | answer.bytes[spi_layout::bit_rate + i];
    settings.bit_rate = static_cast<quarro::i64>(static_cast<i32>(bit_rate));
    settings.idle_chip_select = answer.get_pins(spi_layout::idle_chip_select);
    settings.active_chip_select = answer.get_pins(spi_layout::active_chip_select);
    settings.chip_select_to_data_delay = answer.get16(spi_layout::chip_select_to_data_delay);
    settings.last_byte_to_chip_select_delay =
        answer.get16(spi_layout::last_byte_to_chip_select_delay);
    settings.between_bytes_delay = answer.get16(spi_layout::between_bytes_delay);
    settings.bytes_per_transaction = answer.get16(spi_layout::bytes_per_transaction);
    settings.spi_mode = answer.bytes[spi_layout::spi_mode];
    return settings;
}

i32 bridge_set_spi_settings(hid_device* device, bridge_settings which,
                            const spi_transfer_settings& settings)
{
    command_report command =
        settings_command(which, bp::command::set_spi_settings, bp::command::set_power_up_settings,
                         bp::power_up::spi_settings);
    const auto bit_rate = static_cast<u32>(settings.bit_rate);
    for (int i = 0; i < 4; ++i)
        command.payload(spi_layout::bit_rate + i) = static_cast<u8>(bit_rate >> (8 * i));
    command.put_pins(spi_layout::idle_chip_select, settings.idle_chip_select);
    command.put_pins(spi_layout::active_chip_select, settings.active_chip_select);
    command.put16(spi_layout::chip_select_to_data_delay, settings.chip_select_to_data_delay);
    command.put16(spi_layout::last_byte_to_chip_select_delay,
                  settings.last_byte_to_chip_select_delay);
    command.put16(spi_layout::between_bytes_delay, settings.between_bytes_delay);
    command.put16(spi_layout::bytes_per_transaction, settings.bytes_per_transaction);
    command.payload(spi_layout::spi_mode) = static_cast<u8>(settings.spi_mode);
    reply answer;
    return run_command(device, command, answer, bp::status_offset + 1);
}

chip_settings bridge_get_chip_settings(hid_device* device, bridge_settings which)
{
    command_report command =
        settings_command(which, bp::command::get_chip_settings, bp::command::get_power_up_settings,
                         bp::power_up::chip_settings);
    reply answer;
    chip_settings settings;
    settings.status =
        run_command(device, command, answer, chip_layout::password + chip_layout::password_size);
    if (settings.status != 0)
        return settings;
    const u32 outputs = answer.get_pins(chip_layout::default_output);
    const u32 directions = answer.get_pins(chip_layout::default_direction);
    for (std::size_t pin = 0; pin < chip_layout::pin_count; ++pin) {
        settings.pins[pin].designation = answer.bytes[chip_layout::designations + pin] & 0x03u;
        settings.pins[pin].default_output = (outputs >> pin) & 1;
        settings.pins[pin].default_direction = (directions >> pin) & 1;
    }
    const u8 other = answer.bytes[chip_layout::other_settings];
    settings.remote_wakeup = (other >> chip_layout::remote_wakeup_shift) & 1;
    settings.interrupt_mode =
        (other >> chip_layout::interrupt_mode_shift) & chip_layout::interrupt_mode_mask;
    settings.spi_bus_release = other & 1;
    settings.access_control = answer.bytes[chip_layout::access_control];
    if (settings.access_control == chip_layout::password_protected)
        std::copy_n(answer.bytes.begin() + chip_layout::password, chip_layout::password_size,
                    settings.password.begin());
    return settings;
}

i32 bridge_set_chip_settings(hid_device* device, bridge_settings which,
                             const chip_settings& settings)
{
    command_report command =
        settings_command(which, bp::command::set_chip_settings, bp::command::set_power_up_settings,
                         bp::power_up::chip_settings);
    u32 outputs = 0;
    u32 directions = 0;
    for (std::size_t pin = 0; pin < chip_layout::pin_count; ++pin) {
        command.payload(chip_layout::designations + pin) =
            static_cast<u8>(settings.pins[pin].designation);
        outputs |= (settings.pins[pin].default_output & 1) << pin;
        directions |= (settings.pins[pin].default_direction & 1) << pin;
    }
    command.put_pins(chip_layout::default_output, outputs);
    command.put_pins(chip_layout::default_direction, directions);
    command.payload(chip_layout::other_settings) =
        static_cast<u8>(((settings.remote_wakeup & 1) << chip_layout::remote_wakeup_shift) |
                        ((settings.interrupt_mode & chip_layout::interrupt_mode_mask)
                         << chip_layout::interrupt_mode_shift) |
                        (settings.spi_bus_release & 1));
    command.payload(chip_layout::access_control) = static_cast<u8>(settings.access_control);
    if (settings.access_control == chip_layout::password_protected)
        for (std::size_t i = 0; i < chip_layout::password_size; ++i)
            command.payload(chip_layout::password + i) = settings.password[i];
    reply answer;
    return run_command(device, command, answer, bp::status_offset + 1);
}

spi_transfer_result bridge_spi_transfer(hid_device* device, const u8* data, u32 length)
{
    spi_transfer_result result;
    if (length > bp::max_transfer_bytes) {
        result.status = bridge_write_failed;
        return result;
    }
    command_report command(bp::command::spi_transfer, static_cast<u8>(length));
    for (u32 i = 0; i < length; ++i)
        command.payload(bp::data_offset + i) = data[i];
    reply answer;
    result.status = run_command(device, command, answer, bp::data_offset);
    if (result.status != 0)
        return result;
    // The count is the bridge's word; trust it no further than the bytes that arrived.
    const std::size_t arrived = answer.received - bp::data_offset;
    result.count = static_cast<u32>(std::min<std::size_t>(
        {answer.bytes[bp::transfer_count_offset], arrived, bp::max_transfer_bytes}));
    result.engine_status = answer.bytes[bp::engine_status_offset];
    std::copy_n(answer.bytes.begin() + bp::data_offset, result.count, result.data.begin());
    return result;
}

spi_transfer_result bridge_spi_exchange(hid_device* device, const u8* data, u32 length,
                                        u32 repeat_length)
{
    spi_transfer_result result = bridge_spi_transfer(device, data, length);
    const u32 next_length = repeat_length >= 1 ? repeat_length : length;
    for (u32 repeats = 0;
         result.status == 0 && (result.engine_status == bp::engine_status::started ||
                                result.engine_status == bp::engine_status::data_available);
         ++repeats) {
        if (repeats == exchange_repeat_limit) {
            result.status = bridge_read_failed;
            break;
        }
        result = bridge_spi_transfer(device, data, next_length);
    }
    return result;
}
