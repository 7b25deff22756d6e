// The emulated speaker's settings encoder: it walks the block in storage order, word after word,
// instead of computing word numbers, so that it shares no arithmetic with the panel's encoder.
#include <emulated_speaker/speaker_settings.h>

#include <speaker_link/device/bridge_protocol.h>

#include <stdexcept>

namespace emulated_speaker {
namespace {

constexpr std::size_t word_count = settings_size_bytes / 4;

class word_writer
{
public:
    explicit word_writer(std::array<std::uint8_t, settings_size_bytes>& bytes) : bytes_(bytes) {}

    void put(std::uint32_t word)
    {
        for (int i = 0; i < 4; ++i)
            bytes_.at(position_ * 4 + i) = static_cast<std::uint8_t>(word >> (8 * i));
        ++position_;
    }
    void put_signed(std::int32_t word) { put(static_cast<std::uint32_t>(word)); }
    void put_band(const band_words& band)
    {
        put(band.frequency_index);
        put(band.third_word);
        put_signed(band.gain_tenths_db);
    }
    std::size_t position() const { return position_; }

private:
    std::array<std::uint8_t, settings_size_bytes>& bytes_;
    std::size_t position_ = 0;
};

class word_reader
{
public:
    explicit word_reader(const std::uint8_t* bytes) : bytes_(bytes) {}

    std::uint32_t take()
    {
        std::uint32_t word = 0;
        for (int i = 3; i >= 0; --i)
            word = (word << 8) | bytes_[position_ * 4 + i];
        ++position_;
        return word;
    }
    std::int32_t take_signed() { return static_cast<std::int32_t>(take()); }
    band_words take_band()
    {
        band_words band;
        band.frequency_index = take();
        band.third_word = take();
        band.gain_tenths_db = take_signed();
        return band;
    }

private:
    const std::uint8_t* bytes_;
    std::size_t position_ = 0;
};

} // namespace

std::array<std::uint8_t, settings_size_bytes> encode_settings(const speaker_settings& settings)
{
    std::array<std::uint8_t, settings_size_bytes> bytes{};
    word_writer writer(bytes);
    writer.put(settings.input);
    writer.put_signed(settings.volume_tenths_db);
    writer.put(settings.delay_tenths_ms);
    for (const slot_words& slot : settings.slots)
        for (const band_words& band : slot.parametric)
            writer.put_band(band);
    for (const slot_words& slot : settings.slots)
        writer.put_band(slot.high_shelf);
    for (const slot_words& slot : settings.slots)
        writer.put_band(slot.low_shelf);
    for (std::uint32_t word : settings.reserved)
        writer.put(word);
    writer.put(settings.active_preset);
    for (std::uint32_t word : settings.firmware_version)
        writer.put(word);
    if (writer.position() != word_count)
        throw std::logic_error("emulated speaker: settings layout does not fill the block");
    return bytes;
}

speaker_settings decode_settings(const std::uint8_t* plain_bytes)
{
    speaker_settings settings;
    word_reader reader(plain_bytes);
    settings.input = reader.take();
    settings.volume_tenths_db = reader.take_signed();
    settings.delay_tenths_ms = reader.take();
    for (slot_words& slot : settings.slots)
        for (band_words& band : slot.parametric)
            band = reader.take_band();
    for (slot_words& slot : settings.slots)
        slot.high_shelf = reader.take_band();
    for (slot_words& slot : settings.slots)
        slot.low_shelf = reader.take_band();
    for (std::uint32_t& word : settings.reserved)
        word = reader.take();
    settings.active_preset = reader.take();
    for (std::uint32_t& word : settings.firmware_version)
        word = reader.take();
    return settings;
}

speaker_settings factory_settings()
{
    speaker_settings settings;
    settings.input = 2;
    settings.volume_tenths_db = -65;
    settings.delay_tenths_ms = 12;
    for (std::uint32_t s = 0; s < settings.slots.size(); ++s) {
        slot_words& slot = settings.slots[s];
        for (std::uint32_t b = 0; b < slot.parametric.size(); ++b) {
            slot.parametric[b].frequency_index = 8 + 9 * b + s;
            slot.parametric[b].third_word = 3 + 4 * b + s % 2;
            slot.parametric[b].gain_tenths_db = static_cast<std::int32_t>(10 * b) - 25 + 3 * s;
        }
        slot.low_shelf = {5 + s, 0x4C530000u + s, -30 + static_cast<std::int32_t>(s)};
        slot.high_shelf = {52 + s, 0x48530000u + s, 40 - static_cast<std::int32_t>(s)};
    }
    settings.active_preset = 2;
    settings.firmware_version = {1, 0, 7};
    return settings;
}

std::string factory_model_tag(const std::string& model)
{
    static const char* const models[] = {"K4R", "K5T", "K5R", "K7T", "K7R"};
    for (const char* known : models)
        if (model == known)
            return model + "004711";
    throw std::invalid_argument("emulated speaker: unknown model \"" + model + "\"");
}

std::uint8_t factory_pattern(std::uint32_t address)
{
    return static_cast<std::uint8_t>((address ^ (address >> 8) ^ (address >> 13) ^ 0x5A) & 0xFF);
}

std::vector<std::uint8_t> factory_image(const std::string& model)
{
    const std::string tag = factory_model_tag(model);
    std::vector<std::uint8_t> image(flash_size_bytes);
    for (std::uint32_t address = 0; address < flash_size_bytes; ++address)
        image[address] = factory_pattern(address);

    const std::uint32_t settings_address = bridge_protocol::settings_block_address;
    const std::uint32_t block_size = bridge_protocol::flash_block_size_bytes;
    for (std::uint32_t i = 0; i < block_size; ++i)
        image[settings_address + i] = 0xFF;
    const auto settings = encode_settings(factory_settings());
    for (std::size_t i = 0; i < settings.size(); ++i)
        image[settings_address + i] = mirror(settings[i]);

    for (std::size_t i = 0; i < bridge_protocol::model_tag_size_bytes; ++i) {
        const auto plain = i < tag.size() ? static_cast<std::uint8_t>(tag[i]) : std::uint8_t{0};
        image[bridge_protocol::model_tag_address + i] = mirror(plain);
    }
    return image;
}

} // namespace emulated_speaker
