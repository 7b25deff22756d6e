// The SPI NOR flash behind the emulated bridge: 2 MiB in 64 KB blocks and 256-byte pages,
// erased bytes 0xFF, programming that only clears bits and wraps within its page, a write-enable
// latch and a busy bit that lasts as long as the real part's program and erase times take.
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
    /// Typical times: a 64 KB block erase 150 ms (up to 2 s), a page program 0.7 ms (up to 3).
    static constexpr std::uint64_t default_erase_busy_us = 150000;
    static constexpr std::uint64_t default_program_busy_us = 700;

    explicit spi_flash_model(violation_sink report_violation);

    /// Takes a whole image (flash_size_bytes, as stored) and forgets latch, busy state,
    /// faults and the command log.
    void load(const std::vector<std::uint8_t>& image);
    std::vector<std::uint8_t>& memory() { return memory_; }
    const std::vector<std::uint8_t>& memory() const { return memory_; }

    /// The time (virtual microseconds) at which the next select, clock or deselect happens.
    void set_time(std::uint64_t time_us) { time_us_ = time_us; }
    /// One chip-select period: select, one clock() per byte, deselect. A command takes effect
    /// when the chip select rises, as on a real flash.
    void select();
    std::uint8_t clock(std::uint8_t mosi);
    void deselect();
    /// The chip select rises while a byte is being clocked: the command is logged as cut
    /// short and has no effect.
    void abort();
    /// The chip select rises between bytes after the first `count` bytes of the command: the
    /// later ones never came. A command still whole enough takes effect with what it got (a
    /// page program programs the bytes it has); one that is not is cut short.
    void cut(std::size_t count);
    /// Bytes clocked since the select.
    std::size_t clocked_count() const { return bytes_.size(); }

    const std::vector<flash_command>& log() const { return log_; }
    /// Called with every command as it ends, after it took effect (empty: none). Kept by load().
    std::function<void(const flash_command&)> on_command;
    void clear_log() { log_.clear(); }
    /// True once a command changed the memory since the last clear_dirty().
    bool dirty() const { return dirty_; }
    void clear_dirty() { dirty_ = false; }
    /// The memory was changed from outside (a test's own hand).
    void mark_dirty() { dirty_ = true; }

    void set_busy_times(std::uint64_t erase_us, std::uint64_t program_us);

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
    enum class chip_select_rise
    {
        after_a_byte, ///< the command takes effect
        mid_byte      ///< the command is dropped
    };
    void end_command(chip_select_rise rise);
    bool whole() const;
    bool busy() const;
    std::uint8_t read_byte(std::uint32_t address);
    /// The address of the command being clocked (its header must be whole), in the flash.
    std::uint32_t command_address() const;
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
    std::uint64_t time_us_ = 0;
    std::uint64_t busy_until_us_ = 0;
    std::uint64_t erase_busy_us_ = default_erase_busy_us;
    std::uint64_t program_busy_us_ = default_program_busy_us;

    // The command being clocked.
    bool selected_ = false;
    bool busy_at_start_ = false;
    bool poll_reads_busy_ = false;
    std::vector<std::uint8_t> bytes_;
};

} // namespace emulated_speaker
