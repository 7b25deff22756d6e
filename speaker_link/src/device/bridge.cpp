// The bridge command layer. Every command goes through run_command, which frames the report,
// writes it, waits a bounded time for the reply and checks echo, status and length before
// anything is decoded; it also absorbs the bridge's "busy" answers and ends a transaction left
// unfinished before anything else is sent. The routines below only fill and decode fields.
#include <speaker_link/device/bridge.h>

#include <speaker_link/device/bridge_protocol.h>

#include <quarro/tools/clock.h>

#include <algorithm>
#include <cstddef>
#include <map>
#include <mutex>
#include <optional>

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
// The bridge answers "busy" while it still clocks the previous packet; that takes the packet's
// bits at the bit rate plus the configured delays. Past that and this margin it is not
// clocking any more but stuck. Before the link's settings are known, a whole second.
constexpr quarro::u64 busy_margin_ms = 50;
constexpr quarro::u64 unknown_settings_busy_bound_ms = 1000;
// A bit rate the bridge cannot have (0 or negative) is taken as its slowest.
constexpr quarro::i64 slowest_bit_rate = 1500;
// A command reaches the bridge and its reply comes back within a few USB frames of 1 ms.
constexpr quarro::u64 report_round_trip_ms = 3;

// What this layer knows of one open bridge beyond the command at hand: whether a transaction
// may be unfinished on it (a transfer was sent and no reply said "finished" since), the SPI
// settings last read or written, and the packet the bridge was last seen clocking.
struct link_state
{
    bool transaction_open = false;
    bool settings_known = false;
    spi_transfer_settings settings;
    u32 packet_bytes = 0;
    quarro::u64 clocking_from_ms = 0;
    // The last transfer written, answered or not.
    u32 written_bytes = 0;
    quarro::u64 written_ms = 0;
};

std::mutex links_mutex;
std::map<hid_device*, link_state> links;

// The state of an open bridge; it lives from bridge_open to bridge_close. All commands on one
// handle come from one thread at a time, so only the map itself needs the lock.
link_state& link_of(hid_device* device)
{
    std::lock_guard<std::mutex> lock(links_mutex);
    return links[device];
}

// Which part of a transaction a command plays: a transfer that carries on the one in progress
// must not have it cancelled; anything else must not find one left unfinished.
enum class command_role
{
    standalone,
    continues_transaction
};

using output_report = std::array<u8, bp::output_report_size_bytes>;
using input_report = std::array<u8, bp::input_report_size_bytes>;

class command_report
{
public:
    command_report(u8 code, u8 sub_command)
    {
        bytes_[0] = 0; // report number
        payload(bp::command_offset) = code;
        payload(bp::sub_command_offset) = sub_command;
    }
    u8& payload(std::size_t offset) { return bytes_.at(bp::report_number_size_bytes + offset); }
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

// Writes the command and reads its reply once. Returns 0 when the bridge accepted it and at
// least `needed` reply bytes arrived; the bridge's status byte when it refused;
// bridge_write_failed or bridge_read_failed otherwise.
i32 exchange_report(hid_device* device, const command_report& command, reply& answer,
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
        answer.bytes[bp::command_offset] !=
            report[bp::report_number_size_bytes + bp::command_offset])
        return bridge_read_failed;
    if (answer.bytes[bp::status_offset] != bp::bridge_status::accepted)
        return answer.bytes[bp::status_offset];
    return answer.received >= needed ? 0 : bridge_read_failed;
}

quarro::u64 clocking_time_ms(const link_state& link, u32 packet_bytes)
{
    const spi_transfer_settings& settings = link.settings;
    const quarro::u64 bytes = std::max<u32>(packet_bytes, 1);
    const quarro::u64 bit_rate =
        static_cast<quarro::u64>(std::max(settings.bit_rate, slowest_bit_rate));
    quarro::u64 time_us = (bytes * 8 * 1000000 + bit_rate - 1) / bit_rate;
    time_us += ((bytes - 1) * settings.between_bytes_delay + settings.chip_select_to_data_delay +
                settings.last_byte_to_chip_select_delay) *
               quarro::u64{bp::delay_unit_us};
    return (time_us + 999) / 1000;
}

quarro::u64 busy_bound_ms(const link_state& link)
{
    if (!link.settings_known)
        return unknown_settings_busy_bound_ms;
    return clocking_time_ms(link, link.packet_bytes) + busy_margin_ms;
}

// Ends whatever transaction the bridge still has open; the chip select rises. A packet whose
// reply was lost may still be clocked: it is let end first, because a chip select that rises
// between its bytes makes the flash act on part of it (a page program programs part of its
// data).
i32 cancel_transaction(hid_device* device, link_state& link)
{
    if (link.settings_known && link.written_ms > 0) {
        const quarro::u64 clocked_ms =
            link.written_ms + report_round_trip_ms + clocking_time_ms(link, link.written_bytes);
        const quarro::u64 now_ms = quarro::clock::now_ms();
        if (clocked_ms > now_ms)
            quarro::clock::sleep_ms(static_cast<quarro::u32>(clocked_ms - now_ms));
    }
    const command_report cancel(bp::command::cancel_spi_transfer, 0);
    reply answer;
    const i32 status = exchange_report(device, cancel, answer, bp::status_offset + 1);
    if (status == 0)
        link.transaction_open = false;
    return status;
}

// One command as the bridge will take it. A transaction left unfinished (by an exchange that
// failed half way, or by an earlier program) is cancelled first, unless this transfer carries
// it on. A "busy" answer is waited out: a transfer while the last packet is still being
// clocked, up to that packet's clocking time plus a margin; a settings command while a
// transaction is unfinished, by cancelling it once. Returns as exchange_report.
i32 run_command(hid_device* device, const command_report& command, reply& answer,
                std::size_t needed, command_role role = command_role::standalone)
{
    link_state& link = link_of(device);
    if (link.transaction_open && role == command_role::standalone) {
        const i32 cancelled = cancel_transaction(device, link);
        if (cancelled != 0)
            return cancelled;
    }
    const bool transfer = command.bytes()[bp::report_number_size_bytes + bp::command_offset] ==
                          bp::command::spi_transfer;
    bool cancel_tried = false;
    std::optional<quarro::u64> deadline_ms;
    for (;;) {
        const quarro::u64 sent_ms = quarro::clock::now_ms();
        // Once a transfer is written the bridge may be inside a transaction, whatever follows.
        if (transfer) {
            link.transaction_open = true;
            link.written_bytes =
                command.bytes()[bp::report_number_size_bytes + bp::sub_command_offset];
            link.written_ms = sent_ms;
        }
        const i32 status = exchange_report(device, command, answer, needed);
        if (status != bp::bridge_status::busy)
            return status;
        if (!transfer && !cancel_tried) {
            cancel_tried = true;
            const i32 cancelled = cancel_transaction(device, link);
            if (cancelled != 0)
                return cancelled;
            continue;
        }
        const quarro::u64 now_ms = quarro::clock::now_ms();
        if (!deadline_ms)
            deadline_ms = now_ms + busy_bound_ms(link);
        if (now_ms >= *deadline_ms)
            return status;
        // Again once the packet is clocked, else a millisecond on. The bridge is given its whole
        // bound: an attempt after which no other could be answered in time is made at the
        // deadline itself, and none after it.
        const quarro::u64 clocked_ms =
            link.clocking_from_ms + clocking_time_ms(link, link.packet_bytes);
        quarro::u64 next_ms = std::max(clocked_ms, now_ms + 1);
        if (next_ms + (now_ms - sent_ms) >= *deadline_ms)
            next_ms = *deadline_ms;
        quarro::clock::sleep_ms(static_cast<quarro::u32>(next_ms - now_ms));
    }
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
    hid_device* device = hid_open(bp::vendor_id, bp::product_id, nullptr);
    if (device != nullptr)
        link_of(device) = link_state{};
    return device;
}

void bridge_close(hid_device* device)
{
    if (device != nullptr) {
        {
            std::lock_guard<std::mutex> lock(links_mutex);
            links.erase(device);
        }
        hid_close(device);
    }
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
    if (which == bridge_settings::current) {
        link_state& link = link_of(device);
        link.settings = settings;
        link.settings_known = true;
    }
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
    const i32 status = run_command(device, command, answer, bp::status_offset + 1);
    if (status == 0 && which == bridge_settings::current) {
        link_state& link = link_of(device);
        link.settings = settings;
        link.settings_known = true;
    }
    return status;
}

chip_settings bridge_get_chip_settings(hid_device* device, bridge_settings which)
{
    command_report command =
        settings_command(which, bp::command::get_chip_settings, bp::command::get_power_up_settings,
                         bp::power_up::chip_settings);
    reply answer;
    chip_settings settings;
    settings.status = run_command(device, command, answer,
                                  chip_layout::password + chip_layout::password_size_bytes);
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
        std::copy_n(answer.bytes.begin() + chip_layout::password, chip_layout::password_size_bytes,
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
        for (std::size_t i = 0; i < chip_layout::password_size_bytes; ++i)
            command.payload(chip_layout::password + i) = settings.password[i];
    reply answer;
    return run_command(device, command, answer, bp::status_offset + 1);
}

namespace {

spi_transfer_result transfer(hid_device* device, const u8* data, u32 length, command_role role)
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
    result.status = run_command(device, command, answer, bp::data_offset, role);
    if (result.status != 0)
        return result;
    // The count is the bridge's word; trust it no further than the bytes that arrived.
    const std::size_t arrived = answer.received - bp::data_offset;
    result.count = static_cast<u32>(std::min<std::size_t>(
        {answer.bytes[bp::transfer_count_offset], arrived, bp::max_transfer_bytes}));
    result.engine_status = answer.bytes[bp::engine_status_offset];
    std::copy_n(answer.bytes.begin() + bp::data_offset, result.count, result.data.begin());
    // The bridge clocks this packet after its reply; a transfer before it is done is refused.
    link_state& link = link_of(device);
    link.transaction_open = result.engine_status != bp::engine_status::finished;
    link.packet_bytes = length;
    link.clocking_from_ms = quarro::clock::now_ms();
    return result;
}

} // namespace

spi_transfer_result bridge_spi_transfer(hid_device* device, const u8* data, u32 length)
{
    return transfer(device, data, length, command_role::continues_transaction);
}

spi_transfer_result bridge_spi_exchange(hid_device* device, const u8* data, u32 length,
                                        u32 repeat_length)
{
    spi_transfer_result result = transfer(device, data, length, command_role::standalone);
    const u32 next_length = repeat_length >= 1 ? repeat_length : length;
    for (u32 repeats = 0;
         result.status == 0 && (result.engine_status == bp::engine_status::started ||
                                result.engine_status == bp::engine_status::data_available);
         ++repeats) {
        if (repeats == exchange_repeat_limit) {
            result.status = bridge_read_failed;
            break;
        }
        result = transfer(device, data, next_length, command_role::continues_transaction);
    }
    return result;
}
