// The shared steps of the flash commands.
#include "flash_command.h"

namespace flash_command {
namespace {

// A busy bridge clears within a few transfers; past this it is not coming back.
constexpr int program_attempt_limit = 100;

} // namespace

quarro::i32 set_transaction_length(hid_device* device, quarro::u32 bytes,
                                   spi_transfer_settings* as_read)
{
    spi_transfer_settings settings = bridge_get_spi_settings(device, bridge_settings::current);
    if (settings.status != 0)
        return settings.status;
    if (as_read != nullptr)
        *as_read = settings;
    settings.bytes_per_transaction = bytes;
    return bridge_set_spi_settings(device, bridge_settings::current, settings);
}

outcome run(hid_device* device, quarro::u32 transaction_bytes, const quarro::u8* bytes,
            quarro::u32 length, quarro::u32 repeat_length)
{
    outcome done;
    const quarro::i32 status = set_transaction_length(device, transaction_bytes);
    if (status != 0) {
        done.settings_failed = true;
        done.result.status = status;
        return done;
    }
    done.result = bridge_spi_exchange(device, bytes, length, repeat_length);
    return done;
}

void put_header(quarro::u8* bytes, quarro::u8 opcode, quarro::u64 address)
{
    bytes[0] = opcode;
    bytes[1] = static_cast<quarro::u8>(address >> 16);
    bytes[2] = static_cast<quarro::u8>(address >> 8);
    bytes[3] = static_cast<quarro::u8>(address);
}

spi_transfer_result exchange_until_taken(hid_device* device, const quarro::u8* bytes,
                                         quarro::u32 length)
{
    spi_transfer_result result = bridge_spi_exchange(device, bytes, length, 0);
    for (int attempt = 1; attempt < program_attempt_limit && result.status > 0; ++attempt)
        result = bridge_spi_exchange(device, bytes, length, 0);
    return result;
}

} // namespace flash_command
