// The settings-block flash commands over the bridge layer.
#include <speaker_link/device/spi_flash.h>

#include "flash_command.h"

#include <speaker_link/device/bit_order.h>
#include <speaker_link/device/bridge.h>
#include <speaker_link/device/bridge_protocol.h>
#include <speaker_link/device/dsp_error.h>

#include <quarro/tools/clock.h>

#include <algorithm>
#include <cstdio>

namespace {

namespace bp = bridge_protocol;
namespace opcode = bridge_protocol::flash_opcode;
using quarro::i32;
using quarro::u32;
using quarro::u64;
using quarro::u8;

constexpr i32 read_chunk_bytes = static_cast<i32>(bp::max_transfer_bytes);
constexpr i32 write_piece_bytes = static_cast<i32>(flash_write_piece_bytes);
constexpr int ready_poll_limit = 10000;
constexpr u32 status_command_bytes = 2;
constexpr u32 status_transaction_bytes = 4;

} // namespace

i32 spi_flash_read(hid_device* device, u8* destination, i32 length, u64 address)
{
    // The command is followed by filler that clocks the data out; the flash ignores it.
    std::array<u8, bp::max_transfer_bytes> command{};
    for (i32 offset = 0; offset < length; offset += read_chunk_bytes) {
        const i32 chunk = std::min(read_chunk_bytes, length - offset);
        flash_command::put_header(command.data(), opcode::read, address + offset);
        const auto done = flash_command::run(
            device, static_cast<u32>(chunk) + flash_command::header_bytes, command.data(),
            flash_command::header_bytes, static_cast<u32>(chunk));
        if (done.settings_failed) {
            std::fputs("Error setting SPI parameters.\n", stdout);
            return spi_failure;
        }
        if (done.result.status != 0 || done.result.count != static_cast<u32>(chunk)) {
            std::printf("Read Data: Error %x during the SPI data transfer.\n",
                        static_cast<unsigned>(done.result.status));
            return spi_failure;
        }
        std::copy_n(done.result.data.begin(), chunk, destination + offset);
        reverse_bits_in_place(destination + offset, chunk);
    }
    return 0;
}

i32 read_model_tag(hid_device* device, std::array<u8, bp::model_tag_size_bytes>& tag)
{
    return spi_flash_read(device, tag.data(), static_cast<i32>(tag.size()), bp::model_tag_address);
}

i32 spi_flash_write_enable(hid_device* device)
{
    return flash_command::write_enable(device);
}

void spi_flash_write_disable(hid_device* device)
{
    flash_command::write_disable(device);
}

i32 spi_flash_erase_block(hid_device* device, u32 block_number)
{
    const i32 status = flash_command::erase_block(device, block_number);
    if (status != 0)
        std::fputs("Error Erasing Sector\n", stdout);
    // Sent at once: the latch is dropped by the flash itself when the erase ends.
    spi_flash_write_disable(device);
    return status;
}

i32 spi_flash_wait_ready(hid_device* device)
{
    if (flash_command::set_transaction_length(device, status_transaction_bytes) != 0)
        throw error::dsp_runtime_error();
    const u8 command[status_command_bytes] = {opcode::read_status, 0};
    for (int poll = 0; poll < ready_poll_limit; ++poll) {
        const spi_transfer_result result =
            bridge_spi_exchange(device, command, status_command_bytes, status_command_bytes);
        // A HID failure means the link is gone; a bridge refusal is only one poll lost.
        if (result.status < 0)
            throw error::dsp_runtime_error();
        if (result.status == 0 && result.count >= 2 &&
            (result.data[1] & bp::flash_status_busy) == 0)
            return 0;
        quarro::clock::sleep_ms(1);
    }
    throw error::dsp_runtime_error();
}

i32 spi_flash_program_page(hid_device* device, const u8* data, i32 length, u64 address)
{
    if (length > static_cast<i32>(flash_command::max_program_bytes)) {
        std::fputs("DataLength exceeds maximum. Consider using chunks\n", stdout);
        return spi_failure;
    }
    if (length < 1)
        return spi_failure;
    const auto done =
        flash_command::program_page(device, address, data, static_cast<u32>(length));
    if (done.settings_failed) {
        std::fputs("Error setting SPI parameters for write.\n", stdout);
        return spi_failure;
    }
    // A lost or garbled reply (a HID failure) does not say whether the bridge programmed: carry
    // on and let the caller's read-back decide. Only the bridge's own refusal is a failure.
    if (done.result.status > 0) {
        std::printf("Page Program: Error %x during the SPI data transfer.\n",
                    static_cast<unsigned>(done.result.status));
        return spi_failure;
    }
    spi_flash_wait_ready(device);
    return 0;
}

i32 spi_flash_write(hid_device* device, u8* buffer, i32 length, u64 address)
{
    reverse_bits_in_place(buffer, length);
    for (i32 offset = 0; offset < length; offset += write_piece_bytes) {
        const i32 piece = std::min(write_piece_bytes, length - offset);
        spi_flash_wait_ready(device);
        if (spi_flash_program_page(device, buffer + offset, piece, address + offset) != 0)
            return spi_failure;
    }
    return 0;
}
