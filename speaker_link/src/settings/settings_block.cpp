// Reading, sanitising and writing the settings block.
#include <speaker_link/settings/settings_block.h>

#include <speaker_link/device/bit_order.h>
#include <speaker_link/device/bridge_protocol.h>
#include <speaker_link/device/dsp_error.h>
#include <speaker_link/device/spi_flash.h>
#include <speaker_link/settings/model_tag.h>

#include <quarro/tools/number_text.h>
#include <quarro/tools/text.h>

#include <quarro/err/exception.h>

#include <exception>

namespace {

namespace layout = settings_layout;
using quarro::i32;
using quarro::u32;
using quarro::u8;

constexpr std::size_t word_bytes = 4;
constexpr i32 block_bytes = static_cast<i32>(settings_block::size_bytes);
// A single lost reply or flipped bit spoils one attempt; three rule out all but a lasting fault.
constexpr int write_attempts = 3;

// Reads and checks the tag; a tag that could not be read is as good as a foreign one.
model_tag read_family_tag(hid_device* device)
{
    std::array<u8, bridge_protocol::model_tag_size_bytes> bytes{};
    if (read_model_tag(device, bytes) != 0)
        throw error::wrong_speaker();
    model_tag tag(bytes);
    if (!tag.is_family())
        throw error::wrong_speaker();
    return tag;
}

void reset_if(settings_block& block, std::size_t word, bool condition, u32 value)
{
    if (condition)
        block.set_word(word, value);
}

void sanitize_gain(settings_block& block, std::size_t word)
{
    const i32 gain = block.signed_word(word);
    reset_if(block, word, gain < layout::gain_min || gain > layout::gain_max, 0);
}

void sanitize_frequency(settings_block& block, std::size_t word)
{
    if (block.word(word) > layout::frequency_index_max)
        block.set_word(word, layout::frequency_index_max);
}

// A word beyond the block is a fault of the caller's arithmetic; the worker logs it.
void check_word_index(std::size_t index)
{
    if (index < settings_block::word_count)
        return;
    std::string message = "Settings block word ";
    quarro::append_unsigned(message, index, 1);
    message += " does not exist";
    throw err::runtime_error(message);
}

std::string version_text(const settings_block& block)
{
    std::string text;
    for (std::size_t i = 0; i < 3; ++i) {
        if (i > 0)
            text += '.';
        quarro::append_unsigned(text, block.word(layout::firmware_version + i), 1);
    }
    return text;
}

// One erase, program, read back and compare of `block` (plain bit order).
void erase_program_verify(const dsp_session& session, const settings_block& block)
{
    hid_device* device = session.device;
    std::array<u8, settings_block::size_bytes> written = block.bytes();
    if (spi_flash_write_enable(device) != 0)
        throw error::write_enable_failed();
    const auto block_number =
        static_cast<u32>(session.settings_block_address / bridge_protocol::flash_block_size_bytes);
    if (spi_flash_erase_block(device, block_number) != 0)
        throw error::erase_sector_failed();
    spi_flash_wait_ready(device);
    if (spi_flash_write(device, written.data(), block_bytes, session.settings_block_address) != 0)
        throw error::write_data_failed();
    // Both buffers in flash bit order for the comparison; a read-back that failed proves
    // nothing and counts as a difference.
    std::array<u8, settings_block::size_bytes> read_back{};
    if (spi_flash_read(device, read_back.data(), block_bytes, session.settings_block_address) != 0)
        throw error::mismatch_error();
    reverse_bits_in_place(read_back.data(), block_bytes);
    for (std::size_t offset = 0; offset < read_back.size(); offset += word_bytes)
        for (std::size_t i = offset; i < offset + word_bytes; ++i)
            if (read_back[i] != written[i])
                throw error::mismatch_error();
}

} // namespace

u32 settings_block::word(std::size_t index) const
{
    check_word_index(index);
    const u8* bytes = bytes_.data() + word_bytes * index;
    return u32{bytes[0]} | (u32{bytes[1]} << 8) | (u32{bytes[2]} << 16) | (u32{bytes[3]} << 24);
}

void settings_block::set_word(std::size_t index, u32 value)
{
    check_word_index(index);
    for (std::size_t i = 0; i < word_bytes; ++i)
        bytes_[word_bytes * index + i] = static_cast<u8>(value >> (8 * i));
}

void sanitize_settings_block(device_settings& settings)
{
    settings_block& block = settings.settings_block;
    reset_if(block, layout::input, block.word(layout::input) >= layout::input_count, 0);
    const i32 volume = block.signed_word(layout::volume);
    reset_if(block, layout::volume, volume < layout::volume_min || volume > layout::volume_max, 0);
    reset_if(block, layout::delay, block.word(layout::delay) > layout::delay_max, 0);
    const u32 active = block.word(layout::active_preset);
    reset_if(block, layout::active_preset,
             active < layout::active_preset_min || active > layout::active_preset_max,
             layout::active_preset_min);
    for (std::size_t slot = 0; slot < layout::slot_count; ++slot) {
        for (std::size_t band = 0; band < layout::parametric_band_count; ++band) {
            const layout::band_words words = layout::parametric_band(slot, band);
            sanitize_gain(block, words.gain);
            sanitize_frequency(block, words.frequency);
            reset_if(block, words.third, block.word(words.third) > layout::q_index_max, 0);
        }
        for (const layout::band_words& shelf :
             {layout::high_shelf(slot), layout::low_shelf(slot)}) {
            sanitize_gain(block, shelf.gain);
            sanitize_frequency(block, shelf.frequency);
        }
    }
    for (std::size_t word : {layout::reserved_first, layout::reserved_second})
        reset_if(block, word, block.word(word) > layout::reserved_max, 0);
    if (block.word(layout::firmware_version) > layout::firmware_version_max)
        for (std::size_t i = 0; i < 3; ++i)
            block.set_word(layout::firmware_version + i, 0);
}

device_settings read_settings_block()
{
    device_settings settings;
    const dsp_session_guard guard;
    hid_device* device = guard.device();
    // A flash still busy from an earlier write reads as 0xFF and would be taken for a foreign
    // speaker, so wait before the tag too.
    spi_flash_wait_ready(device);
    const model_tag tag = read_family_tag(device);
    if (spi_flash_read(device, settings.settings_block.data(), block_bytes,
                       guard.session().settings_block_address) != 0)
        throw error::read_data_failed();
    settings.settings_block_as_read = settings.settings_block;
    sanitize_settings_block(settings);
    settings.model = tag.model();
    settings.serial = tag.serial();
    settings.firmware_version = version_text(settings.settings_block);
    settings.factory_slot_count = quarro::compare_no_case(settings.model, "K5T") == 0 ? 3 : 2;
    settings.user_preset_count = layout::slot_count - settings.factory_slot_count;
    return settings;
}

void write_settings_block(const device_settings& settings)
{
    const dsp_session_guard guard;
    spi_flash_wait_ready(guard.device());
    if (read_family_tag(guard.device()).model() != settings.model)
        throw error::wrong_speaker_version();
    program_settings_block(guard.session(), settings);
}

void program_settings_block(const dsp_session& session, const device_settings& settings)
{
    std::exception_ptr first_failure;
    for (int attempt = 1; attempt <= write_attempts; ++attempt) {
        try {
            // A failed attempt may have left the flash busy; nothing is sent to it before then.
            if (attempt > 1)
                spi_flash_wait_ready(session.device);
            erase_program_verify(session, settings.settings_block);
            return;
        } catch (const error::write_enable_failed&) {
            // Before the first erase nothing has been touched: the old block stands. Later,
            // the first attempt's failure is already kept.
            if (attempt == 1)
                throw;
        } catch (const error::dsp_error&) {
            if (!first_failure)
                first_failure = std::current_exception();
        }
    }
    // Put back the block as it was. Whether that worked or not, the write has failed.
    try {
        spi_flash_wait_ready(session.device);
        erase_program_verify(session, settings.settings_block_as_read);
    } catch (const error::dsp_error&) {
    }
    std::rethrow_exception(first_failure);
}
