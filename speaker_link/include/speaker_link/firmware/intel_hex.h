// Intel HEX firmware images and the table of 64 KB flash blocks they are turned into: the
// firmware region of the speaker's flash, blocks 0 to 27 from address 0.
#pragma once

#include <speaker_link/device/bridge_protocol.h>

#include <quarro/err/exception.h>
#include <quarro/memory/data.h>
#include <quarro/types.h>

#include <array>
#include <cstddef>

/// Flash blocks the firmware region holds; the settings block (0x1D0000) and the model tag
/// (0x1F0000) lie beyond them.
constexpr std::size_t firmware_block_count = 28;

/// Slot i stands for the 64 KB from address i * 0x10000. An empty slot is no part of the
/// update; a present block holds exactly bridge_protocol::flash_block_size_bytes, in flash bit
/// order.
using firmware_block_table =
    std::array<memory::data_ptr<memory::growable_data>, firmware_block_count>;

/// A firmware package that cannot be installed as it is (content missing, too large, or an
/// image that addresses bytes outside the firmware region). Always raised before the speaker
/// is touched.
class firmware_package_error : public err::runtime_error
{
public:
    using err::runtime_error::runtime_error;
};

/// Adds one Intel HEX image to `blocks`. Data records store their bytes bit-reversed into the
/// current block at the record's address; an extended linear address record (type 04) selects
/// the current block, created filled with 0x00 when absent; data before any type 04 goes to
/// block 0. An end-of-file record ends the image; other types are passed over; checksums are
/// not verified; a record cut off at the end of the text is not taken. Bytes of an earlier
/// image at the same addresses are overwritten.
///
/// Throws firmware_package_error for an image without a single record, an extended address
/// record without its two bytes, a block index of 28 or more, and a data record that runs past
/// the end of its block; nothing outside the table is ever written. Any thread, one table per
/// thread.
void parse_intel_hex(firmware_block_table& blocks, const memory::data& image);

/// The number of present blocks.
std::size_t count_firmware_blocks(const firmware_block_table& blocks) noexcept;
