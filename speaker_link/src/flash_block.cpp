// The firmware block operations over the shared flash command steps.
#include <speaker_link/flash_block.h>

#include "flash_command.h"

#include <speaker_link/bridge_protocol.h>
#include <speaker_link/dsp_error.h>
#include <speaker_link/spi_flash.h>

#include <algorithm>
#include <array>

namespace {

namespace bp = bridge_protocol;
namespace opcode = bridge_protocol::flash_opcode;
using quarro::u32;
using quarro::u8;

constexpr u32 header_bytes = static_cast<u32>(bp::flash_command_header_bytes);

} // namespace

void erase_flash_block(const dsp_session& session, quarro::i32 block_number)
{
    spi_flash_write_enable(session.device);
    const u8 command[] = {opcode::block_erase, static_cast<u8>(block_number), 0, 0};
    if (flash_command::run(session.device, header_bytes, command, header_bytes, 0).result.status !=
        0)
        throw error::write_enable_failed();
    spi_flash_wait_ready(session.device);
    spi_flash_write_disable(session.device);
}

void write_flash_block(const dsp_session& session, quarro::i32 address, const u8* data, u32 length)
{
    if (length < 1 || length > flash_command::max_program_bytes)
        throw error::write_data_failed();
    spi_flash_write_enable(session.device);
    if (flash_command::set_transaction_length(session.device, length + header_bytes) != 0)
        throw error::write_data_failed();
    std::array<u8, bp::max_transfer_bytes> command{};
    flash_command::put_header(command.data(), opcode::page_program, static_cast<u32>(address));
    std::copy_n(data, length, command.begin() + header_bytes);
    if (flash_command::exchange_until_taken(session.device, command.data(), length + header_bytes)
            .status != 0)
        throw error::write_data_failed();
    spi_flash_wait_ready(session.device);
    spi_flash_write_disable(session.device);
}

void read_flash_block(const dsp_session& session, quarro::i32 address, u8* destination, u32 length)
{
    if (length < 1 || length > bp::max_transfer_bytes)
        throw error::read_data_failed();
    std::array<u8, bp::max_transfer_bytes> command{};
    flash_command::put_header(command.data(), opcode::read, static_cast<u32>(address));
    const auto done = flash_command::run(session.device, length + header_bytes, command.data(),
                                         header_bytes, length);
    if (done.settings_failed || done.result.status != 0 || done.result.count != length)
        throw error::read_data_failed();
    std::copy_n(done.result.data.begin(), length, destination);
}
