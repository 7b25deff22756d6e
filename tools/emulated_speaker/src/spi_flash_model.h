// The SPI NOR flash behind the emulated bridge: 2 MiB in 64 KB blocks and 256-byte pages,
// erased bytes 0xFF, programming that only clears bits and wraps within its page, a write-enable
// latch and a busy bit that lasts a set number of status polls.
#pragma once

#include "armed_fault.h"

#include <emulated_speaker/speaker.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace emulated_speaker {

class spi_flash_model
{
public:
    using violation_sink = std::function<void(const std::string&)>;

    static constexpr std::uint32_t page_size = 256;
    static constexpr std::uint64_t default_erase_busy_polls = 2;
    static constexpr std::uint64_t default_program_busy_polls = 0;

    explicit spi_flash_model(violation_sink report_violation);

    /// Takes a whole image (flash_size_bytes, as stored) and forgets latch, busy state,
    /// faults and the command log.
    void load(const std::vector<std::uint8_t>& image);
    std::vector<std::uint8_t>& memory() { return memory_; }
    const std::vector<std::uint8_t>& memory() const { return memory_; }

    /// One chip-select period: select, one clock() per byte, deselect. A command takes effect
    /// when the chip select rises, as on a real flash.
    void select();
    std::uint8_t clock(std::uint8_t mosi);
    void deselect();
    /// The opcode of the command being clocked (0 before its first byte).
    std::uint8_t current_opcode() const { return bytes_.empty() ? 0 : bytes_.front(); }

    const std::vector<flash_command>& log() const { return log_; }
    void clear_log() { log_.clear(); }
    /// True once a command changed the memory since the last clear_dirty().
    bool dirty() const { return dirty_; }
    void clear_dirty() { dirty_ = false; }

    void set_busy_polls(std::uint64_t after_erase, std::uint64_t after_program);

    // Faults; each list is shared with the speaker's bookkeeping of unused faults.
    std::vector<std::shared_ptr<armed_fault>> write_enable_faults;
    std::vector<std::shared_ptr<armed_fault>> erase_faults;
    std::vector<std::shared_ptr<armed_fault>> program_faults;
    std::vector<std::shared_ptr<armed_fault>> busy_faults;
    struct flipped_byte
    {
        std::uint32_t address;
        std::uint8_t mask;
        std::shared_ptr<armed_fault> fault;
    };
    std::vector<flipped_byte> flipped_bytes;
    struct protected_block
    {
        std::uint32_t block;
        std::shared_ptr<armed_fault> fault;
    };
    std::vector<protected_block> protected_blocks;

private:
    bool busy() const;
    std::uint8_t read_byte(std::uint32_t address);
    std::uint8_t status_register() const;
    command_outcome execute();
    command_outcome erase_block();
    command_outcome program_page();
    bool is_protected(std::uint32_t address);
    static bool take_any(const std::vector<std::shared_ptr<armed_fault>>& faults);

    violation_sink report_violation_;
    std::vector<std::uint8_t> memory_;
    std::vector<flash_command> log_;
    bool dirty_ = false;

    bool write_enable_latch_ = false;
    std::uint64_t busy_polls_left_ = 0;
    std::uint64_t erase_busy_polls_ = default_erase_busy_polls;
    std::uint64_t program_busy_polls_ = default_program_busy_polls;

    // The command being clocked.
    bool selected_ = false;
    bool busy_at_start_ = false;
    bool poll_reads_busy_ = false;
    std::vector<std::uint8_t> bytes_;
};

} // namespace emulated_speaker
