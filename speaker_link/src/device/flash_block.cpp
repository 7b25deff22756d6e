// The firmware block operations over the shared flash command steps.
#include <speaker_link/device/flash_block.h>

#include "flash_command.h"

#include <speaker_link/device/bridge_protocol.h>
#include <speaker_link/device/dsp_error.h>
#include <speaker_link/device/spi_flash.h>

#include <algorithm>
#include <array>

namespace {

namespace bp = bridge_protocol;
namespace opcode = bridge_protocol::flash_opcode;
using quarro::u32;
using quarro::u8;

} // namespace

void erase_flash_block(const dsp_session& session, quarro::i32 block_number)
{
    if (flash_command::erase_block(session.device, static_cast<u32>(block_number)) != 0)
        throw error::write_enable_failed();
    spi_flash_wait_ready(session.device);
    spi_flash_write_disable(session.device);
}

void write_flash_block(const dsp_session& session, quarro::i32 address, const u8* data, u32 length)
{
    if (length < 1 || length > flash_command::max_program_bytes)
        throw error::write_data_failed();
    const auto done =
        flash_command::program_page(session.device, static_cast<u32>(address), data, length);
    if (done.settings_failed || done.result.status != 0)
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
    const auto done = flash_command::run(session.device, length + flash_command::header_bytes,
                                         command.data(), flash_command::header_bytes, length);
    if (done.settings_failed || done.result.status != 0 || done.result.count != length)
        throw error::read_data_failed();
    std::copy_n(done.result.data.begin(), length, destination);
}
