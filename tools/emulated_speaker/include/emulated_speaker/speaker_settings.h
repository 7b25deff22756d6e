// The emulated speaker's own view of its settings block and factory image. It is written apart
// from the panel's encoder on purpose: a fault in the panel's encoding shows up as a difference
// here instead of being mirrored.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace emulated_speaker {

/// One equaliser band as the speaker stores it: three words.
struct band_words
{
    std::uint32_t frequency_index = 0;
    /// The Q index of a parametric band; a shelf's third word, which the panel never interprets.
    std::uint32_t third_word = 0;
    std::int32_t gain_tenths_db = 0;

    friend bool operator==(const band_words& a, const band_words& b)
    {
        return a.frequency_index == b.frequency_index && a.third_word == b.third_word &&
               a.gain_tenths_db == b.gain_tenths_db;
    }
};

/// One voicing slot: six parametric bands and two shelves.
struct slot_words
{
    std::array<band_words, 6> parametric{};
    band_words high_shelf{};
    band_words low_shelf{};
};

/// The settings block as 129 words in meaning, plain bit order.
struct speaker_settings
{
    std::uint32_t input = 0;
    std::int32_t volume_tenths_db = 0;
    std::uint32_t delay_tenths_ms = 0;
    std::array<slot_words, 5> slots{};
    std::array<std::uint32_t, 2> reserved{};
    std::uint32_t active_preset = 1;
    std::array<std::uint32_t, 3> firmware_version{};
};

constexpr std::size_t settings_size_bytes = 516;
constexpr std::uint32_t flash_size_bytes = 2 * 1024 * 1024;

/// The 516 bytes of the block in plain bit order (words little-endian).
std::array<std::uint8_t, settings_size_bytes> encode_settings(const speaker_settings& settings);

/// The words of 516 plain bytes, nothing clamped.
speaker_settings decode_settings(const std::uint8_t* plain_bytes);

/// The settings a new speaker leaves the factory with: every field a recognisable, valid value.
speaker_settings factory_settings();

/// The model tag a new speaker of `model` carries ("K5R004711" for K5R).
/// Throws std::invalid_argument for anything but K4R, K5T, K5R, K7T and K7R.
std::string factory_model_tag(const std::string& model);

/// The byte a factory image holds at `address` outside the settings block and the tag:
/// a pattern that differs from its neighbours, so collateral damage shows.
std::uint8_t factory_pattern(std::uint32_t address);

/// A whole factory image of flash_size_bytes, as stored (bit order reversed): pattern
/// everywhere, the settings block of factory_settings() followed by erased bytes in its 64 KB
/// block, the tag of `model` at the tag address. Throws like factory_model_tag.
std::vector<std::uint8_t> factory_image(const std::string& model);

/// A byte with its bit order reversed, as the speaker stores every byte.
constexpr std::uint8_t mirror(std::uint8_t value)
{
    std::uint8_t result = 0;
    for (int bit = 0; bit < 8; ++bit)
        if ((value & (1u << bit)) != 0)
            result = static_cast<std::uint8_t>(result | (0x80u >> bit));
    return result;
}

} // namespace emulated_speaker
