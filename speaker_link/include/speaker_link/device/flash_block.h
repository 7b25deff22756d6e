// The firmware block operations: erase, program and read pieces of the flash through an open
// session. They move bytes as they are (the firmware images are already in flash bit order),
// throw error::dsp_error subclasses on the first failure and print nothing.
//
// Call on the thread that owns the session.
#pragma once

#include <speaker_link/device/dsp_session.h>

#include <quarro/types.h>

/// Write enable, erase of 64 KB block `block_number` (its low byte is sent), wait until ready,
/// write disable. Throws error::write_enable_failed when the erase command fails and
/// error::dsp_runtime_error as spi_flash_wait_ready.
void erase_flash_block(const dsp_session& session, quarro::i32 block_number);

/// Write enable, page program of `length` bytes (at most 56, within one page) at `address`,
/// wait until ready, write disable. Throws error::write_data_failed when the length is out of
/// range or the settings or the program transfer fail, error::dsp_runtime_error as
/// spi_flash_wait_ready.
void write_flash_block(const dsp_session& session, quarro::i32 address, const quarro::u8* data,
                       quarro::u32 length);

/// Reads `length` bytes (at most 60) at `address` into `destination`. Throws
/// error::read_data_failed when the length is out of range, the settings fail or the reply
/// does not carry exactly `length` bytes.
void read_flash_block(const dsp_session& session, quarro::i32 address, quarro::u8* destination,
                      quarro::u32 length);
