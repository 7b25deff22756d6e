// The flash commands used for the settings block and the model tag. They return 0 on success,
// else -1 or the failed transfer's status, and print one diagnostic line to standard output on
// failure; spi_flash_wait_ready throws, and so do the routines that wait through it.
// spi_flash_read and spi_flash_write reverse the bit order of every byte (bit_order.h), because
// the speaker stores its bytes that way, so their callers see plain data.
//
// Call on one thread at a time per handle (the device workers hold the device lock).
#pragma once

#include <speaker_link/device/bridge_protocol.h>

#include <quarro/types.h>

#include <hidapi/hidapi.h>

#include <array>

/// The result of a failed flash routine.
constexpr quarro::i32 spi_failure = -1;

/// The bytes one page program carries when a whole buffer is written, by spi_flash_write and by
/// the firmware programmer.
constexpr quarro::u32 flash_write_piece_bytes = 32;

/// Reads `length` bytes at `address` into `destination` in chunks of at most 60, each byte's
/// bit order reversed. Returns 0 (also for a length below 1, which sends nothing) or -1;
/// chunks stored before a failure stay in the buffer.
quarro::i32 spi_flash_read(hid_device* device, quarro::u8* destination, quarro::i32 length,
                           quarro::u64 address);

/// Reads the 9-byte model tag at 0x1F0000; returns spi_flash_read's result.
quarro::i32 read_model_tag(hid_device* device,
                           std::array<quarro::u8, bridge_protocol::model_tag_size_bytes>& tag);

/// Sets the flash's write-enable latch; the transfer settings are restored afterwards.
/// Returns the status of the write-enable transfer (0 success).
quarro::i32 spi_flash_write_enable(hid_device* device);

/// Clears the write-enable latch.
void spi_flash_write_disable(hid_device* device);

/// Write enable, erase of 64 KB block `block_number` (its low byte is sent), write disable.
/// Does not wait for the erase; returns the status of the erase transfer (0 success).
quarro::i32 spi_flash_erase_block(hid_device* device, quarro::u32 block_number);

/// Polls the status register until the flash is not busy. Returns 0. Throws
/// error::dsp_runtime_error after 10,000 busy polls (about 10 seconds), when the settings
/// cannot be set, or when the link fails; a poll that fails is never taken for "ready".
quarro::i32 spi_flash_wait_ready(hid_device* device);

/// Programs 1..56 bytes at `address` (within one page) and waits until the flash is ready.
/// Returns 0 or -1 (57 or more bytes print the length message and send nothing; a bridge that
/// keeps refusing the transfer is a failure). A lost or garbled reply to the program is not:
/// the bridge may have programmed, so the routine carries on and leaves the verdict to the
/// caller's read-back. May throw as spi_flash_wait_ready.
quarro::i32 spi_flash_program_page(hid_device* device, const quarro::u8* data, quarro::i32 length,
                                   quarro::u64 address);

/// Reverses the caller's buffer in place (it stays reversed), then programs it in pieces of
/// flash_write_piece_bytes, each after a ready wait. Returns 0 or -1 at the first failure. May
/// throw as spi_flash_wait_ready.
quarro::i32 spi_flash_write(hid_device* device, quarro::u8* buffer, quarro::i32 length,
                            quarro::u64 address);
