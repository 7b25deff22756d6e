// Intel HEX records into 64 KB flash blocks, bit-reversed for the speaker's flash.
#include <speaker_link/firmware/intel_hex.h>

#include <speaker_link/device/bit_order.h>

#include <quarro/tools/number_text.h>

#include <algorithm>
#include <string>

namespace {

namespace bp = bridge_protocol;
using quarro::u32;
using quarro::u64;
using quarro::u8;

enum record_type : u8
{
    data_record = 0x00,
    end_of_file_record = 0x01,
    extended_linear_address_record = 0x04
};

// Count, address and type pairs and the checksum pair: the characters of a record without data.
constexpr u64 record_frame_chars = 10;
// Fewer than this after the ':' is no record at all.
constexpr u64 min_record_chars = 11;

std::string block_text(u64 index)
{
    std::string text;
    quarro::append_unsigned(text, index, 1);
    return text;
}

memory::growable_data& block_at(firmware_block_table& blocks, u64 index)
{
    if (index >= blocks.size())
        throw firmware_package_error("firmware image addresses block " + block_text(index) +
                                     ", beyond the firmware region");
    memory::data_ptr<memory::growable_data>& slot = blocks[index];
    if (!slot) {
        slot = memory::make_mutable_data(bp::flash_block_size_bytes);
        slot->resize(bp::flash_block_size_bytes);
        std::fill_n(slot->mutable_bytes(), bp::flash_block_size_bytes, u8{0});
    }
    return *slot;
}

} // namespace

void parse_intel_hex(firmware_block_table& blocks, const memory::data& image)
{
    const char* const text = reinterpret_cast<const char*>(image.bytes());
    const u64 size = image.size();
    const auto byte_at = [text](u64 position) {
        return quarro::hex_pair_to_byte(text[position], text[position + 1]);
    };

    u64 current_block = 0;
    bool any_record = false;
    const char* colon = size > 0 ? std::find(text, text + size, ':') : nullptr;
    while (colon != nullptr && colon != text + size) {
        const u64 start = static_cast<u64>(colon - text) + 1;
        const u64 left = size - start;
        if (left < min_record_chars)
            break;
        const u64 count = byte_at(start);
        if (record_frame_chars + 2 * count > left)
            break;
        any_record = true;
        const u32 address = static_cast<u32>(byte_at(start + 2)) << 8 | byte_at(start + 4);
        const u8 type = byte_at(start + 6);
        const u64 data_start = start + 8;

        if (type == end_of_file_record)
            break;
        if (type == data_record && count > 0) {
            if (address + count > bp::flash_block_size_bytes)
                throw firmware_package_error(
                    "firmware image record at 0x" + std::string(text + start + 2, 4) +
                    " runs past the end of block " + block_text(current_block));
            u8* bytes = block_at(blocks, current_block).mutable_bytes() + address;
            for (u64 i = 0; i < count; ++i)
                bytes[i] = byte_at(data_start + 2 * i);
            // The speaker's flash holds every byte with its bit order reversed.
            reverse_bits_in_place(bytes, static_cast<quarro::i32>(count));
        } else if (type == extended_linear_address_record) {
            if (count < 2)
                throw firmware_package_error("firmware image has an extended address record "
                                             "without its address");
            current_block = static_cast<u64>(byte_at(data_start)) << 8 | byte_at(data_start + 2);
            block_at(blocks, current_block);
        }
        const char* next = text + data_start + 2 * count + 2;
        colon = std::find(next, text + size, ':');
    }
    if (!any_record)
        throw firmware_package_error("firmware image holds no Intel HEX record");
}

std::size_t count_firmware_blocks(const firmware_block_table& blocks) noexcept
{
    return static_cast<std::size_t>(std::count_if(
        blocks.begin(), blocks.end(), [](const auto& block) { return !block.empty(); }));
}
