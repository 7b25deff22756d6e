// Reversing the bit order of bytes.
#include <speaker_link/device/bit_order.h>

namespace {

using quarro::u8;

constexpr u8 reversed(u8 value)
{
    value = static_cast<u8>(((value & 0xF0) >> 4) | ((value & 0x0F) << 4));
    value = static_cast<u8>(((value & 0xCC) >> 2) | ((value & 0x33) << 2));
    return static_cast<u8>(((value & 0xAA) >> 1) | ((value & 0x55) << 1));
}

} // namespace

void reverse_bits_in_place(u8* buffer, quarro::i32 length)
{
    for (quarro::i32 i = 0; i < length; ++i)
        buffer[i] = reversed(buffer[i]);
}
