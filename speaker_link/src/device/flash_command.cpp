// The shared steps of the flash commands.
#include "flash_command.h"

#include <speaker_link/device/bridge_protocol.h>

#include <algorithm>
#include <array>
#include <cstdio>

namespace flash_command {
namespace {

namespace bp = bridge_protocol;
namespace opcode = bridge_protocol::flash_opcode;
using quarro::i32;
using quarro::u32;
using quarro::u64;
using quarro::u8;

// A busy bridge clears within a few transfers; past this it is not coming back.
constexpr int program_attempt_limit = 100;

} // namespace

i32 set_transaction_length(hid_device* device, u32 bytes, spi_transfer_settings* as_read)
{
    spi_transfer_settings settings = bridge_get_spi_settings(device, bridge_settings::current);
    if (settings.status != 0)
        return settings.status;
    if (as_read != nullptr)
        *as_read = settings;
    settings.bytes_per_transaction = bytes;
    return bridge_set_spi_settings(device, bridge_settings::current, settings);
}

outcome run(hid_device* device, u32 transaction_bytes, const u8* bytes, u32 length,
            u32 repeat_length)
{
    outcome done;
    const i32 status = set_transaction_length(device, transaction_bytes);
    if (status != 0) {
        done.settings_failed = true;
        done.result.status = status;
        return done;
    }
    done.result = bridge_spi_exchange(device, bytes, length, repeat_length);
    return done;
}

void put_header(u8* bytes, u8 opcode, u64 address)
{
    bytes[0] = opcode;
    bytes[1] = static_cast<u8>(address >> 16);
    bytes[2] = static_cast<u8>(address >> 8);
    bytes[3] = static_cast<u8>(address);
}

i32 write_enable(hid_device* device)
{
    spi_transfer_settings as_read;
    const i32 settings_status = set_transaction_length(device, 1, &as_read);
    if (settings_status != 0) {
        std::printf("Error %x setting Write Enable\n", static_cast<unsigned>(settings_status));
        return settings_status;
    }
    const u8 command = opcode::write_enable;
    const spi_transfer_result result = bridge_spi_exchange(device, &command, 1, 0);
    if (result.status != 0)
        std::printf("Error %x setting Write Enable\n", static_cast<unsigned>(result.status));
    bridge_set_spi_settings(device, bridge_settings::current, as_read);
    return result.status;
}

void write_disable(hid_device* device)
{
    const u8 command = opcode::write_disable;
    if (run(device, 1, &command, 1, 0).result.status != 0)
        std::fputs("Error setting Write Disable\n", stdout);
}

i32 erase_block(hid_device* device, u32 block_number)
{
    write_enable(device);
    const u8 command[] = {opcode::block_erase, static_cast<u8>(block_number), 0, 0};
    return run(device, header_bytes, command, header_bytes, 0).result.status;
}

outcome program_page(hid_device* device, u64 address, const u8* data, u32 length)
{
    write_enable(device);
    std::array<u8, bp::max_transfer_bytes> command{};
    put_header(command.data(), opcode::page_program, address);
    std::copy_n(data, length, command.begin() + header_bytes);
    const u32 total = length + header_bytes;
    outcome done = run(device, total, command.data(), total, 0);
    for (int attempt = 1;
         attempt < program_attempt_limit && !done.settings_failed && done.result.status > 0;
         ++attempt)
        done.result = bridge_spi_exchange(device, command.data(), total, 0);
    return done;
}

} // namespace flash_command
