// The emulated speaker's own settings encoder against the block layout, and its factory image.
#include <emulated_speaker/speaker_settings.h>

#include <speaker_link/device/bridge_protocol.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <stdexcept>

namespace {

using emulated_speaker::speaker_settings;

std::uint32_t word_at(const std::array<std::uint8_t, 516>& bytes, std::size_t word)
{
    return std::uint32_t{bytes[4 * word]} | (std::uint32_t{bytes[4 * word + 1]} << 8) |
           (std::uint32_t{bytes[4 * word + 2]} << 16) | (std::uint32_t{bytes[4 * word + 3]} << 24);
}

TEST(SpeakerSettings, EncodesEachFieldIntoItsWord)
{
    const struct
    {
        const char* field;
        std::function<void(speaker_settings&)> set;
        std::size_t word;
        std::uint32_t value;
    } cases[] = {
        {"input", [](speaker_settings& s) { s.input = 2; }, 0, 2},
        {"volume", [](speaker_settings& s) { s.volume_tenths_db = -37; }, 1, 0xFFFFFFDBu},
        {"slot 3 band 0 frequency",
         [](speaker_settings& s) { s.slots[3].parametric[0].frequency_index = 35; }, 57, 35},
        {"slot 4 band 5 gain",
         [](speaker_settings& s) { s.slots[4].parametric[5].gain_tenths_db = 120; }, 92, 120},
        {"slot 1 band 2 q", [](speaker_settings& s) { s.slots[1].parametric[2].third_word = 28; },
         28, 28},
        {"slot 4 high shelf third word",
         [](speaker_settings& s) { s.slots[4].high_shelf.third_word = 0xABCD; }, 106, 0xABCD},
        {"slot 3 low shelf gain",
         [](speaker_settings& s) { s.slots[3].low_shelf.gain_tenths_db = -120; }, 119, 0xFFFFFF88u},
        {"word 124", [](speaker_settings& s) { s.reserved[1] = 0x70000001u; }, 124, 0x70000001u},
        {"active preset", [](speaker_settings& s) { s.active_preset = 5; }, 125, 5},
        {"version third number", [](speaker_settings& s) { s.firmware_version[2] = 9; }, 128, 9},
    };
    for (const auto& c : cases) {
        speaker_settings settings;
        settings.active_preset = 0;
        c.set(settings);
        const auto bytes = emulated_speaker::encode_settings(settings);
        for (std::size_t word = 0; word < 129; ++word)
            EXPECT_EQ(word_at(bytes, word), word == c.word ? c.value : 0u)
                << c.field << ", word " << word;
    }
}

TEST(SpeakerSettings, FactoryImageHoldsTagSettingsAndPatternsOfAKnownModel)
{
    for (const char* model : {"K4R", "K5T", "K5R", "K7T", "K7R"}) {
        SCOPED_TRACE(model);
        const auto image = emulated_speaker::factory_image(model);
        ASSERT_EQ(image.size(), 2u * 1024 * 1024);
        const std::string tag = std::string(model) + "004711";
        for (std::size_t i = 0; i < 9; ++i)
            EXPECT_EQ(emulated_speaker::mirror(image[0x1F0000 + i]),
                      static_cast<std::uint8_t>(tag[i]));
        std::array<std::uint8_t, 516> plain{};
        for (std::size_t i = 0; i < plain.size(); ++i)
            plain[i] = emulated_speaker::mirror(image[0x1D0000 + i]);
        EXPECT_EQ(plain, emulated_speaker::encode_settings(emulated_speaker::factory_settings()));
        for (std::uint32_t address = 0x1D0000 + 516; address < 0x1E0000; ++address)
            ASSERT_EQ(image[address], 0xFF) << std::hex << address;
        for (std::uint32_t address : {0x0u, 0x1BFFFFu, 0x1CFFFFu, 0x1E0000u, 0x1F0009u, 0x1FFFFFu})
            EXPECT_EQ(image[address], emulated_speaker::factory_pattern(address)) << address;
    }
    EXPECT_THROW(emulated_speaker::factory_image("K9X"), std::invalid_argument);
}

} // namespace
