// The speaker's settings block (516 bytes at 0x1D0000, alone in its 64 KB block) and the device
// record built from it: read, checked and clamped, and written back as one transaction (erase,
// program, read back and compare, made again on failure, the old block put back when every
// attempt failed). The read and the write open their own bridge session and close it before
// returning.
//
// The callers run on a device worker that holds the device lock for the whole call.
#pragma once

#include <speaker_link/device/dsp_session.h>

#include <quarro/types.h>

#include <array>
#include <cstddef>
#include <string>

/// 129 unsigned 32-bit words, little-endian, word n at byte offset 4n; signed fields are two's
/// complement. Bytes in plain bit order.
class settings_block
{
public:
    static constexpr std::size_t word_count = 129;
    static constexpr std::size_t size_bytes = word_count * 4;

    /// Word `index`; throws err::runtime_error beyond word 128 (set_word too).
    quarro::u32 word(std::size_t index) const;
    quarro::i32 signed_word(std::size_t index) const
    {
        return static_cast<quarro::i32>(word(index));
    }
    void set_word(std::size_t index, quarro::u32 value);
    void set_signed_word(std::size_t index, quarro::i32 value)
    {
        set_word(index, static_cast<quarro::u32>(value));
    }

    quarro::u8* data() noexcept { return bytes_.data(); }
    const quarro::u8* data() const noexcept { return bytes_.data(); }
    const std::array<quarro::u8, size_bytes>& bytes() const noexcept { return bytes_; }

private:
    std::array<quarro::u8, size_bytes> bytes_{};
};

/// Where each setting lives in the block and which codes sanitising keeps. The sanitiser, the
/// decoders and the encoders all use these; no word number is written anywhere else.
namespace settings_layout {

constexpr std::size_t input = 0;  ///< input code
constexpr std::size_t volume = 1; ///< signed, tenths of a dB
constexpr std::size_t delay = 2;  ///< tenths of a ms
constexpr std::size_t reserved_first = 123;
constexpr std::size_t reserved_second = 124;
constexpr std::size_t active_preset = 125;    ///< 1-based slot number
constexpr std::size_t firmware_version = 126; ///< three words

constexpr std::size_t slot_count = 5;
constexpr std::size_t parametric_band_count = 6;

/// The three words of one band: frequency index, Q index (parametric bands) or a third word
/// that is never interpreted (shelves), and the signed gain in tenths of a dB.
struct band_words
{
    std::size_t frequency;
    std::size_t third;
    std::size_t gain;
};

constexpr band_words parametric_band(std::size_t slot, std::size_t band)
{
    const std::size_t first = 3 + 18 * slot + 3 * band;
    return {first, first + 1, first + 2};
}
constexpr band_words high_shelf(std::size_t slot)
{
    return {93 + 3 * slot, 94 + 3 * slot, 95 + 3 * slot};
}
constexpr band_words low_shelf(std::size_t slot)
{
    return {108 + 3 * slot, 109 + 3 * slot, 110 + 3 * slot};
}

constexpr quarro::u32 input_count = 3;
constexpr quarro::i32 volume_min = -600;
constexpr quarro::i32 volume_max = 120;
constexpr quarro::u32 delay_max = 50;
constexpr quarro::i32 gain_min = -120;
constexpr quarro::i32 gain_max = 120;
constexpr quarro::u32 frequency_index_max = 61;
constexpr quarro::u32 q_index_max = 28;
constexpr quarro::u32 active_preset_min = 1;
constexpr quarro::u32 active_preset_max = 5;
constexpr quarro::u32 reserved_max = 0x70000000;
constexpr quarro::u32 firmware_version_max = 1000;

} // namespace settings_layout

/// What the panel knows of the attached speaker after one read.
struct device_settings
{
    ::settings_block settings_block;
    /// The block exactly as the flash held it, before sanitising: what a failed write puts back.
    ::settings_block settings_block_as_read;
    std::string model;                  ///< 2 or 3 characters of the tag
    std::string serial;                 ///< "K-" and the rest of the tag
    std::string firmware_version;       ///< words 126, 127, 128 joined by "."
    quarro::u64 factory_slot_count = 0; ///< 3 for the K5T, else 2
    quarro::u64 user_preset_count = 0;  ///< 5 minus factory_slot_count
};

/// Reads the tag and the block of the attached speaker into a new record, sanitised. Throws
/// error::dsp_init_failed (no bridge), error::wrong_speaker (tag unreadable or not an Orvik),
/// error::read_data_failed (block unreadable), error::dsp_runtime_error (flash stays busy).
device_settings read_settings_block();

/// Writes the record's block back to the same model. The record must come from
/// read_settings_block. Throws error::dsp_init_failed, error::wrong_speaker,
/// error::wrong_speaker_version (another model attached; nothing is erased), and whatever
/// program_settings_block throws.
void write_settings_block(const device_settings& settings);

/// Erase, program, read back, compare, through an open session, as one transaction as far as
/// the flash allows: an attempt that fails after its erase is made again, three attempts in
/// all; when all three fail, the block as read (`settings_block_as_read`) is written back and
/// the first failure is thrown. Returns only when the new block was read back intact. A
/// failure before the first erase leaves the flash untouched. Throws
/// error::write_enable_failed, error::erase_sector_failed, error::write_data_failed,
/// error::mismatch_error (also when the read-back fails), error::dsp_runtime_error.
void program_settings_block(const dsp_session& session, const device_settings& settings);

/// Clamps the record's block in place to the codes the speaker understands.
void sanitize_settings_block(device_settings& settings);
