// The steps every flash command shares: set bytes_per_transaction to the command's length,
// then exchange its bytes; and the bounded repetition of a transfer the bridge was too busy
// to take. Written once here for the settings-block routines and the block operations.
#pragma once

#include <speaker_link/bridge.h>

#include <quarro/types.h>

#include <array>

namespace flash_command {

/// The most data bytes a page program carries: with the 4 command bytes, one transfer.
constexpr quarro::u32 max_program_bytes = 56;

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

/// The opcode and the 24-bit address (most significant byte first) in the first 4 bytes.
void put_header(quarro::u8* bytes, quarro::u8 opcode, quarro::u64 address);

/// The exchange of a page program, repeated while the bridge answers with its own non-zero
/// status (it was busy and did not take the transfer), a bounded number of times.
spi_transfer_result exchange_until_taken(hid_device* device, const quarro::u8* bytes,
                                         quarro::u32 length);

} // namespace flash_command
