// The flash model: decodes each chip-select period as one command and applies it when the chip
// select rises; the bytes it holds are raw flash bytes, exactly as the bridge clocks them.
#include "spi_flash_model.h"

#include <speaker_link/device/bridge_protocol.h>

#include <cstdio>
#include <utility>

namespace emulated_speaker {
namespace {

namespace opcode = bridge_protocol::flash_opcode;

std::string hex_byte(std::uint8_t value)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", value);
    return text;
}

bool has_address(std::uint8_t code)
{
    return code == opcode::read || code == opcode::page_program || code == opcode::block_erase;
}

} // namespace

spi_flash_model::spi_flash_model(violation_sink report_violation)
    : report_violation_(std::move(report_violation)), memory_(flash_size_bytes, 0xFF)
{}

void spi_flash_model::load(const std::vector<std::uint8_t>& image)
{
    // Copied into the memory already there: tests attach a fresh speaker thousands of times.
    memory_.assign(image.begin(), image.end());
    memory_.resize(flash_size_bytes, 0xFF);
    log_.clear();
    dirty_ = false;
    write_enable_latch_ = false;
    busy_until_us_ = 0;
    erase_busy_us_ = default_erase_busy_us;
    program_busy_us_ = default_program_busy_us;
    selected_ = false;
    bytes_.clear();
    write_enable_faults.clear();
    erase_faults.clear();
    program_faults.clear();
    busy_faults.clear();
    flipped_bytes.clear();
    protected_blocks.clear();
}

void spi_flash_model::set_busy_times(std::uint64_t erase_us, std::uint64_t program_us)
{
    erase_busy_us_ = erase_us;
    program_busy_us_ = program_us;
}

bool spi_flash_model::take_any(const std::vector<std::shared_ptr<armed_fault>>& faults)
{
    // Every fault counts every event, so that each keeps its own place in the sequence.
    bool spoiled = false;
    for (const auto& fault : faults)
        spoiled = fault->take() || spoiled;
    return spoiled;
}

bool spi_flash_model::busy() const
{
    if (time_us_ < busy_until_us_)
        return true;
    for (const auto& fault : busy_faults)
        if (fault->pending())
            return true;
    return false;
}

std::uint8_t spi_flash_model::status_register() const
{
    std::uint8_t value = 0;
    if (poll_reads_busy_)
        value |= bridge_protocol::flash_status_busy;
    if (write_enable_latch_)
        value |= bridge_protocol::flash_status_write_enable_latch;
    return value;
}

void spi_flash_model::select()
{
    if (selected_)
        report_violation_("flash: selected twice without a deselect");
    selected_ = true;
    busy_at_start_ = busy();
    poll_reads_busy_ = false;
    bytes_.clear();
}

std::uint8_t spi_flash_model::read_byte(std::uint32_t address)
{
    std::uint8_t value = memory_[address % flash_size_bytes];
    for (auto& flipped : flipped_bytes)
        if (flipped.address == address && flipped.fault->take())
            value ^= flipped.mask;
    return value;
}

std::uint8_t spi_flash_model::clock(std::uint8_t mosi)
{
    const std::size_t position = bytes_.size();
    bytes_.push_back(mosi);
    if (position == 0) {
        if (mosi == opcode::read_status) {
            // One status command is one poll, however many status bytes it clocks.
            poll_reads_busy_ = time_us_ < busy_until_us_;
            if (take_any(busy_faults))
                poll_reads_busy_ = true;
        }
        return 0xFF;
    }
    const std::uint8_t code = bytes_.front();
    if (code == opcode::read_status)
        return status_register();
    if (code == opcode::read && position >= bridge_protocol::flash_command_header_bytes &&
        !busy_at_start_) {
        const auto offset =
            static_cast<std::uint32_t>(position - bridge_protocol::flash_command_header_bytes);
        return read_byte((command_address() + offset) % flash_size_bytes);
    }
    return 0xFF;
}

// Addresses beyond the 2 MiB wrap around, as on the real part, whose upper address bits are
// don't-cares.
std::uint32_t spi_flash_model::command_address() const
{
    std::uint32_t address = 0;
    for (std::size_t i = 1; i <= bridge_protocol::flash_address_bytes; ++i)
        address = (address << 8) | bytes_[i];
    return address % flash_size_bytes;
}

void spi_flash_model::abort()
{
    end_command(chip_select_rise::mid_byte);
}

void spi_flash_model::cut(std::size_t count)
{
    if (count < bytes_.size())
        bytes_.resize(count);
    end_command(!bytes_.empty() && whole() ? chip_select_rise::after_a_byte
                                           : chip_select_rise::mid_byte);
}

bool spi_flash_model::whole() const
{
    const std::size_t count = bytes_.size();
    const std::size_t header = bridge_protocol::flash_command_header_bytes;
    switch (bytes_.front()) {
    case opcode::write_enable:
    case opcode::write_disable:
        return count == 1;
    case opcode::read_status:
        return count >= 2;
    case opcode::read:
        return count >= header;
    case opcode::block_erase:
        return count == header;
    case opcode::page_program:
        return count > header;
    default:
        return false;
    }
}

void spi_flash_model::deselect()
{
    end_command(chip_select_rise::after_a_byte);
}

void spi_flash_model::end_command(chip_select_rise rise)
{
    if (!selected_)
        return;
    selected_ = false;
    if (bytes_.empty())
        return;
    flash_command command;
    command.opcode = bytes_.front();
    const std::size_t header =
        has_address(command.opcode) ? bridge_protocol::flash_command_header_bytes : std::size_t{1};
    if (has_address(command.opcode) && bytes_.size() >= header)
        command.address = command_address();
    command.length =
        bytes_.size() > header ? static_cast<std::uint32_t>(bytes_.size() - header) : 0;
    command.outcome =
        rise == chip_select_rise::after_a_byte ? execute() : command_outcome::cut_short;
    command.bytes = std::move(bytes_);
    bytes_.clear();
    if (on_command)
        on_command(command);
    log_.push_back(std::move(command));
}

command_outcome spi_flash_model::execute()
{
    const std::size_t count = bytes_.size();
    const std::uint8_t code = bytes_.front();
    const auto malformed = [&](const char* what) {
        report_violation_("flash: " + std::string(what) + " (opcode " + hex_byte(code) + ", " +
                          std::to_string(count) + " bytes)");
        return command_outcome::malformed;
    };
    if (busy_at_start_ && code != opcode::read_status && code != opcode::write_disable) {
        report_violation_("flash: opcode " + hex_byte(code) + " while busy");
        return command_outcome::ignored_while_busy;
    }
    switch (code) {
    case opcode::write_enable:
        if (count != 1)
            return malformed("write enable with extra bytes");
        if (take_any(write_enable_faults))
            return command_outcome::ignored_by_fault;
        write_enable_latch_ = true;
        return command_outcome::executed;
    case opcode::write_disable:
        if (count != 1)
            return malformed("write disable with extra bytes");
        write_enable_latch_ = false;
        return command_outcome::executed;
    case opcode::read_status:
        if (count < 2)
            return malformed("status read without a status byte");
        return command_outcome::executed;
    case opcode::read:
        if (count < bridge_protocol::flash_command_header_bytes)
            return malformed("read without a whole address");
        return command_outcome::executed;
    case opcode::block_erase:
        if (count != bridge_protocol::flash_command_header_bytes)
            return malformed("block erase not of 4 bytes");
        return erase_block();
    case opcode::page_program:
        if (count <= bridge_protocol::flash_command_header_bytes)
            return malformed("page program without data");
        return program_page();
    default:
        return malformed("unknown opcode");
    }
}

bool spi_flash_model::is_protected(std::uint32_t address)
{
    const std::uint32_t block = address / bridge_protocol::flash_block_size_bytes;
    bool hit = false;
    for (auto& entry : protected_blocks)
        if (entry.block == block)
            hit = entry.fault->take() || hit;
    return hit;
}

command_outcome spi_flash_model::erase_block()
{
    if (!write_enable_latch_)
        return command_outcome::ignored_without_write_enable;
    write_enable_latch_ = false;
    const std::uint32_t address = command_address();
    if (is_protected(address))
        return command_outcome::ignored_protected;
    busy_until_us_ = time_us_ + erase_busy_us_;
    if (take_any(erase_faults))
        return command_outcome::ignored_by_fault;
    const std::uint32_t first = address - address % bridge_protocol::flash_block_size_bytes;
    for (std::uint32_t i = 0; i < bridge_protocol::flash_block_size_bytes; ++i)
        memory_[first + i] = 0xFF;
    dirty_ = true;
    return command_outcome::executed;
}

command_outcome spi_flash_model::program_page()
{
    if (!write_enable_latch_)
        return command_outcome::ignored_without_write_enable;
    write_enable_latch_ = false;
    const std::uint32_t start = command_address();
    if (is_protected(start))
        return command_outcome::ignored_protected;
    busy_until_us_ = time_us_ + program_busy_us_;
    if (take_any(program_faults))
        return command_outcome::ignored_by_fault;
    const std::size_t header = bridge_protocol::flash_command_header_bytes;
    const std::size_t data_count = bytes_.size() - header;
    // A real page buffer keeps only the last 256 bytes; addresses wrap within the page.
    const std::size_t skipped = data_count > page_size ? data_count - page_size : 0;
    const std::uint32_t page = start - start % page_size;
    for (std::size_t i = skipped; i < data_count; ++i) {
        const std::uint32_t address = page + static_cast<std::uint32_t>((start + i) % page_size);
        memory_[address] &= bytes_[header + i];
    }
    dirty_ = true;
    return command_outcome::executed;
}

} // namespace emulated_speaker
