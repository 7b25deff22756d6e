// The bridge command layer: one routine per command of the speaker's USB-HID-to-SPI bridge
// (MCP2210 command set). Each writes one 65-byte report with hidapi, reads the 64-byte reply
// and decodes it. Nothing here throws or prints; every routine reports a status code.
//
// Every routine waits out the bridge's "busy" answer (0xF8): it sends the command again after
// a short wait, for at most the clocking time of the packet the bridge is busy with (at the
// bit rate and delays last read from or written to it) plus a margin, the last time at that
// deadline, and only then reports 0xF8. A transaction the bridge still has open when a
// command other than its next transfer comes (an exchange that failed half way, or one left
// by an earlier program, which makes the bridge refuse settings as busy) is cancelled first.
// Waits go through quarro's clock.
//
// None of these routines is thread-safe: one command must be answered before the next is
// written to the same handle. The speaker link serialises all bridge access itself.
#pragma once

#include <speaker_link/device/bridge_protocol.h>

#include <quarro/types.h>

#include <hidapi/hidapi.h>

#include <array>

/// Status codes of the bridge routines: 0 when the bridge accepted the command, these two for
/// HID failures, otherwise the bridge's own non-zero status byte (1..255) unchanged.
constexpr quarro::i32 bridge_write_failed = -2; ///< the report could not be written
constexpr quarro::i32 bridge_read_failed = -3;  ///< no valid reply arrived in time

/// Which of the bridge's settings a command addresses.
enum class bridge_settings
{
    power_up,
    current
};

/// The bridge's SPI transfer settings. When `status` is not 0 the other fields are as the
/// record was built (zero).
struct spi_transfer_settings
{
    quarro::i64 bit_rate = 0;           ///< bits per second; the 32-bit field sign-extended
    quarro::u32 idle_chip_select = 0;   ///< 9 bits, bit n for GPn
    quarro::u32 active_chip_select = 0; ///< 9 bits
    quarro::u32 chip_select_to_data_delay = 0;
    quarro::u32 last_byte_to_chip_select_delay = 0;
    quarro::u32 between_bytes_delay = 0;
    /// Bytes clocked while the chip select stays active; may span several transfers.
    quarro::u32 bytes_per_transaction = 0;
    quarro::u32 spi_mode = 0;
    quarro::i32 status = 0;
};

/// One GP pin: designation 0 general purpose, 1 chip select, 2 dedicated function;
/// direction 0 output, 1 input.
struct gp_pin_setting
{
    quarro::u32 designation = 0;
    quarro::u32 default_output = 0;
    quarro::u32 default_direction = 0;
};

/// The bridge's pin and chip settings.
struct chip_settings
{
    std::array<gp_pin_setting, bridge_protocol::chip_settings_layout::pin_count> pins{};
    quarro::u32 remote_wakeup = 0;
    quarro::u32 interrupt_mode = 0;
    quarro::u32 spi_bus_release = 0;
    quarro::u32 access_control = 0; ///< 0x40: password protected
    std::array<quarro::u8, bridge_protocol::chip_settings_layout::password_size_bytes> password{};
    quarro::i32 status = 0;
};

/// The reply to one SPI transfer.
struct spi_transfer_result
{
    quarro::u32 count = 0;         ///< received bytes in `data`, at most 60
    quarro::u32 engine_status = 0; ///< 0x10 finished, 0x20 started, 0x30 data available
    std::array<quarro::u8, bridge_protocol::payload_size_bytes> data{};
    quarro::i32 status = 0;
};

/// Opens the first bridge with the speaker's vendor and product ids. Returns the handle, or
/// null when there is none. The handle belongs to the caller until bridge_close.
hid_device* bridge_open();

/// Closes the handle (null is accepted) and releases hidapi's global state. Called once per
/// bridge_open, also after a failed one.
void bridge_close(hid_device* device);

/// Reads the SPI transfer settings.
spi_transfer_settings bridge_get_spi_settings(hid_device* device, bridge_settings which);

/// Writes the SPI transfer settings; returns the status code.
quarro::i32 bridge_set_spi_settings(hid_device* device, bridge_settings which,
                                    const spi_transfer_settings& settings);

/// Reads the chip settings.
chip_settings bridge_get_chip_settings(hid_device* device, bridge_settings which);

/// Writes the chip settings; returns the status code.
quarro::i32 bridge_set_chip_settings(hid_device* device, bridge_settings which,
                                     const chip_settings& settings);

/// Sends `length` bytes of `data` as one SPI transfer, part of the transaction in progress if
/// there is one (it is never cancelled for this). A length above 60 is refused with
/// bridge_write_failed and nothing is written.
spi_transfer_result bridge_spi_transfer(hid_device* device, const quarro::u8* data,
                                        quarro::u32 length);

/// One flash command that the bridge answers before its transaction is clocked: cancels a
/// transaction left unfinished, sends the transfer and repeats it (with `repeat_length` bytes when
/// that is at least 1, else `length`) while the engine reports "started" or "data available". Only
/// the last reply is returned. `data` must hold the larger of the two lengths. Any non-zero status
/// ends the exchange, and so does a bridge that never finishes (bridge_read_failed).
spi_transfer_result bridge_spi_exchange(hid_device* device, const quarro::u8* data,
                                        quarro::u32 length, quarro::u32 repeat_length);
