// Programming the firmware blocks and finishing the installation.
#include <speaker_link/control/firmware_programmer.h>

#include "firmware_access.h"

#include <speaker_link/device/bridge_protocol.h>
#include <speaker_link/device/dsp_error.h>
#include <speaker_link/device/flash_block.h>
#include <speaker_link/device/spi_flash.h>
#include <speaker_link/dsp_control.h>
#include <speaker_link/firmware/firmware_version.h>
#include <speaker_link/settings/settings_encoding.h>

#include <quarro/log/logbook.h>
#include <quarro/tools/number_text.h>

#include <algorithm>
#include <array>

namespace {

namespace bp = bridge_protocol;
using quarro::i32;
using quarro::u32;
using quarro::u64;
using quarro::u8;

void log_line(std::string text, u64 number)
{
    quarro::append_unsigned(text, number, 1);
    quarro::logbook::instance().message(text, quarro::log_level::info,
                                        quarro::logbook::file_and_console);
}

void log_line(const std::string& text)
{
    quarro::logbook::instance().message(text, quarro::log_level::info,
                                        quarro::logbook::file_and_console);
}

// Progress of one stage. It never goes backwards: the pieces of a block programmed again are
// reported only once they pass what was already shown.
class progress
{
public:
    progress(dsp_control_callback& callback, dsp_control& control, firmware_update_stage stage,
             u64 total)
        : callback_(callback), control_(control), stage_(static_cast<int>(stage)), total_(total)
    {}

    void report(u64 done)
    {
        if (done < reported_)
            return;
        reported_ = done;
        callback_.firmware_update_progress(control_, stage_, total_, done);
    }

    /// Reports `done` only when it is more than was reported.
    void advance(u64 done)
    {
        if (done > reported_)
            report(done);
    }

private:
    dsp_control_callback& callback_;
    dsp_control& control_;
    int stage_;
    u64 total_;
    u64 reported_ = 0;
};

// Programs block `index` whole, piece by piece, each piece read back and compared before the
// next is programmed. `done_before` is the bytes of the blocks programmed before this one.
void program_block(const dsp_session& session, u32 index, const memory::data& block,
                   u64 done_before, progress& written)
{
    const u32 base = index * bp::flash_block_size_bytes;
    std::array<u8, flash_write_piece_bytes> read_back{};
    for (u32 offset = 0; offset < bp::flash_block_size_bytes; offset += flash_write_piece_bytes) {
        const u8* piece = block.bytes() + offset;
        const i32 address = static_cast<i32>(base + offset);
        write_flash_block(session, address, piece, flash_write_piece_bytes);
        read_flash_block(session, address, read_back.data(), flash_write_piece_bytes);
        if (!std::equal(read_back.begin(), read_back.end(), piece))
            throw error::mismatch_error();
        written.advance(done_before + offset + flash_write_piece_bytes);
    }
}

} // namespace

void program_firmware_blocks(const dsp_session& session, const firmware_block_table& blocks,
                             dsp_control_callback& callback, dsp_control& control)
{
    log_line("updating firmware...");
    const u64 present = count_firmware_blocks(blocks);

    progress erased(callback, control, firmware_update_stage::erasing, present);
    u64 erased_count = 0;
    for (u32 index = 0; index < blocks.size(); ++index) {
        if (!blocks[index])
            continue;
        erased.report(erased_count);
        log_line("erasing block: ", index);
        erase_flash_block(session, static_cast<i32>(index));
        ++erased_count;
    }
    erased.report(present);

    const u64 total = present * bp::flash_block_size_bytes;
    progress written(callback, control, firmware_update_stage::writing, total);
    u64 done = 0;
    for (u32 index = 0; index < blocks.size(); ++index) {
        if (!blocks[index])
            continue;
        log_line("writing block: ", index);
        for (int attempt = 1;; ++attempt) {
            try {
                // A later attempt starts from erased flash: programming only clears bits.
                if (attempt > 1)
                    erase_flash_block(session, static_cast<i32>(index));
                program_block(session, index, *blocks[index], done, written);
                break;
            } catch (const error::dsp_error& failure) {
                if (attempt >= firmware_block_attempts)
                    throw;
                std::string text = "retrying block: ";
                quarro::append_unsigned(text, index, 1);
                text += " (attempt ";
                quarro::append_unsigned(text, static_cast<u64>(attempt) + 1, 1);
                text += " of ";
                quarro::append_unsigned(text, firmware_block_attempts, 1);
                text += ") after: ";
                text += failure.what();
                log_line(text);
            }
        }
        done += bp::flash_block_size_bytes;
    }
    log_line("firmware update successful!");
    written.report(total);
}

void install_firmware_blocks(dsp_control& control, const firmware_block_table& blocks,
                             device_settings& settings, const std::string& version)
{
    const firmware_access access(control);
    {
        const dsp_session_guard link;
        program_firmware_blocks(link.session(), blocks, access.callback(), control);
    }
    // The settings block keeps its old version until every block is programmed and verified.
    const std::array<u32, 4> numbers = parse_firmware_version(version);
    set_firmware_version(settings, numbers[0], numbers[1], numbers[2]);
    write_settings_block(settings);
    access.installed(settings.firmware_version);
    access.callback().firmware_update_succeeded(control);
}
