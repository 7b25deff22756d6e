// Fuzzes parse_intel_hex: any text either fills the block table within its 28 blocks of
// 64 KB or is refused with firmware_package_error; nothing is written outside the table.
#include <speaker_link/firmware/intel_hex.h>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    firmware_block_table blocks;
    try {
        parse_intel_hex(blocks, memory::data(data, size));
    } catch (const firmware_package_error&) {
        return 0;
    }
    for (const auto& block : blocks)
        if (block && block->size() != bridge_protocol::flash_block_size_bytes)
            std::abort();
    return 0;
}
