// The steps every flash command shares, written once for the settings-block routines and the
// block operations: set bytes_per_transaction to the command's length, then exchange its
// bytes; the write enable and disable around erase and program; and the erase and page
// program commands themselves. What comes after a command (waiting, write disable) and what a
// failure means stay with each family, which order and answer them differently.
#pragma once

#include <speaker_link/device/bridge.h>
#include <speaker_link/device/bridge_protocol.h>

#include <quarro/types.h>

namespace flash_command {

/// The opcode and the 24-bit address in front of a command's data.
constexpr quarro::u32 header_bytes =
    static_cast<quarro::u32>(bridge_protocol::flash_command_header_bytes);

/// The most data bytes a page program carries: with its header, one transfer.
constexpr quarro::u32 max_program_bytes =
    static_cast<quarro::u32>(bridge_protocol::max_transfer_bytes) - header_bytes;

/// Reads the current SPI transfer settings, sets bytes_per_transaction and writes them back.
/// Returns 0 or the failing status (nothing is written after a failed read). `as_read`, when
/// given, receives the settings before the change.
quarro::i32 set_transaction_length(hid_device* device, quarro::u32 bytes,
                                   spi_transfer_settings* as_read = nullptr);

/// set_transaction_length, then bridge_spi_exchange. When the settings fail, their status is
/// the result's status and `settings_failed` is set.
struct outcome
{
    bool settings_failed = false;
    spi_transfer_result result;
};
outcome run(hid_device* device, quarro::u32 transaction_bytes, const quarro::u8* bytes,
            quarro::u32 length, quarro::u32 repeat_length);

/// The opcode and the 24-bit address (most significant byte first) in the first header_bytes.
void put_header(quarro::u8* bytes, quarro::u8 opcode, quarro::u64 address);

/// Sets the flash's write-enable latch and restores the transfer settings afterwards. Prints
/// "Error %x setting Write Enable" on failure. Returns the failing status or 0.
quarro::i32 write_enable(hid_device* device);

/// Clears the write-enable latch; prints "Error setting Write Disable" on failure.
void write_disable(hid_device* device);

/// Write enable (its result is not looked at: a latch that did not set leaves a command the
/// flash ignores, which the caller's check finds), then the 64 KB block erase with the low
/// byte of `block_number`. Does not wait for the erase. Returns the erase transfer's status.
quarro::i32 erase_block(hid_device* device, quarro::u32 block_number);

/// Write enable (result not looked at), bytes_per_transaction for the command, then the page
/// program of `length` bytes (1..56, the caller's limit) at `address`, repeated a bounded
/// number of times while the bridge refuses it with its own status (it was busy and did not
/// take the transfer). Does not wait for the program. `settings_failed` says that the
/// transaction length could not be set and nothing was programmed.
outcome program_page(hid_device* device, quarro::u64 address, const quarro::u8* data,
                     quarro::u32 length);

} // namespace flash_command
