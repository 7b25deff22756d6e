// The control interface of the emulated speaker: what a test, a benchmark or a demonstration uses
// to choose the flash content, watch the traffic and inject faults. The panel's own code never
// includes this; it reaches the emulated speaker through hidapi's C functions only.
#pragma once

#include <emulated_speaker/report_gate.h>
#include <emulated_speaker/speaker_settings.h>

#include <speaker_link/device/bridge_protocol.h>

#include <array>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace emulated_speaker {

/// A fault count that never runs out.
constexpr std::uint64_t always = std::numeric_limits<std::uint64_t>::max();

/// What the flash did with one command (one chip-select period).
enum class command_outcome
{
    executed,
    ignored_without_write_enable, ///< erase or program without the write-enable latch
    ignored_while_busy,           ///< anything but a status read while busy (also a violation)
    ignored_protected,            ///< erase or program of a protected block
    ignored_by_fault,             ///< an injected fault swallowed it
    cut_short,                    ///< the chip select rose too early (a cancel, a power loss)
    malformed                     ///< wrong length or unknown opcode (also a violation)
};

/// One flash command as the flash saw it.
struct flash_command
{
    std::uint8_t opcode = 0;
    /// The 24-bit address for read, page program and block erase; 0 for the others.
    std::uint32_t address = 0;
    /// Bytes clocked after the opcode and, where it has one, the address: the data length of a
    /// read or a page program.
    std::uint32_t length = 0;
    command_outcome outcome = command_outcome::executed;
    /// Every byte sent to the flash in this command, opcode first.
    std::vector<std::uint8_t> bytes;
};

/// One HID report and its answer.
struct report_record
{
    /// The bytes handed to hid_write (report number first).
    std::vector<std::uint8_t> output;
    /// The reply the bridge queued; empty when it queued none.
    std::vector<std::uint8_t> reply;
    /// When the report reached the bridge, in the speaker's microseconds (clock_us()); 0 when
    /// it never did.
    std::uint64_t arrived_us = 0;
};

/// Which reports a report fault counts: all, one command code, or SPI transfers that belong to
/// a flash command with this opcode.
struct report_filter
{
    std::optional<std::uint8_t> command;
    std::optional<std::uint8_t> flash_opcode;
};

/// What goes wrong with a report.
enum class report_fault
{
    write_fails,   ///< hid_write returns -1; the bridge never sees the command
    short_write,   ///< hid_write writes `value` bytes and says so; the bridge sees nothing
    read_fails,    ///< the bridge acts, then hid_read returns -1 instead of the reply
    bridge_status, ///< the bridge refuses with status byte `value` (0xF8 busy, 0xF7 bus taken)
    short_reply,   ///< the bridge acts; only `value` bytes of the reply arrive
    wrong_echo,    ///< the bridge acts; reply byte 0 is not the command code
    late_reply,    ///< the bridge acts; the reply arrives after `value` empty reads (never
                   ///< when `value` is 0xFF)
    wrong_count    ///< the bridge acts; a transfer reply claims `value` received bytes
};

/// The state of one GP pin.
struct pin_state
{
    std::uint8_t designation = 0;
    std::uint8_t default_output = 0;
    std::uint8_t default_direction = 0;
};

/// The bridge's pin and chip settings, as it holds them.
struct chip_state
{
    std::array<pin_state, bridge_protocol::chip_settings_layout::pin_count> pins{};
    std::uint8_t other_settings = 0; ///< bit 4 wake-up, bits 1-3 interrupt mode, bit 0 release
    std::uint8_t access_control = 0;
    std::array<std::uint8_t, bridge_protocol::chip_settings_layout::password_size_bytes> password{};
};

/// The bridge's SPI transfer settings, as it holds them.
struct spi_state
{
    std::uint32_t bit_rate = 0;
    std::uint16_t idle_chip_select = 0;
    std::uint16_t active_chip_select = 0;
    std::uint16_t chip_select_to_data_delay = 0;
    std::uint16_t last_byte_to_chip_select_delay = 0;
    std::uint16_t between_bytes_delay = 0;
    std::uint16_t bytes_per_transaction = 0;
    std::uint8_t spi_mode = 0;
};

/// The bridge's current settings.
struct bridge_state
{
    chip_state chip;
    spi_state spi;
};

/// The one emulated speaker of the process. Every member may be called from any thread; the
/// hidapi functions and these members are serialised by one lock. Hooks run outside that lock.
class speaker
{
public:
    /// The speaker, built on first use: its flash is the file named by PELLARO_EMULATED_FLASH
    /// (created from a factory image of PELLARO_EMULATED_MODEL, default K5R, when missing), or
    /// a factory image in memory when the variable is not set; its changes go to the file
    /// named by PELLARO_EMULATED_CHANGE_LOG (log_flash_changes) when that is set.
    static speaker& instance();

    speaker(const speaker&) = delete;
    speaker& operator=(const speaker&) = delete;

    // -- The attached speaker and its flash ----------------------------------------------

    /// Attaches a new speaker of `model` with a factory image in memory and forgets everything
    /// else: faults, hooks, counters, history, violations, bridge settings, open handles, the
    /// change log.
    /// Throws std::invalid_argument for an unknown model.
    void reset(const std::string& model = "K5R");
    /// Keeps the flash in `path` from now on: loads it, or writes a factory image of `model`
    /// there first when the file is missing. Every program that names the file shares one
    /// speaker: the flash is read from the file as the bridge opens (changes made by hand
    /// since are written first) and written back as it closes and at exit, under the
    /// emulator's own lock on the file. Throws std::runtime_error when the file cannot be read
    /// or written or does not hold a whole image.
    void use_flash_file(const std::string& path, const std::string& model);

    /// From now until reset(), appends a line to the file `path` (made when missing) for every
    /// block erase and page program the flash takes, whatever became of it: "block erase
    /// 0x010000 executed", "page program 0x010000 32 executed". Programs on one flash file may
    /// share the file, so that a test counts what all of them asked of the speaker. Throws
    /// std::runtime_error when the file cannot be opened.
    void log_flash_changes(const std::string& path);

    /// `length` bytes from `address` as stored (bit order reversed).
    std::vector<std::uint8_t> flash(std::uint32_t address, std::uint32_t length) const;
    /// The same bytes with their bit order restored.
    std::vector<std::uint8_t> plain(std::uint32_t address, std::uint32_t length) const;
    /// The whole flash as stored.
    std::vector<std::uint8_t> image() const;
    /// Overwrites stored bytes (no erase needed; this is the test's hand).
    void set_flash(std::uint32_t address, const std::vector<std::uint8_t>& stored);
    /// Overwrites bytes given in plain bit order.
    void set_plain(std::uint32_t address, const std::vector<std::uint8_t>& plain);
    /// Replaces the 9-byte model tag (zero-padded; at most 9 bytes kept): another speaker.
    void set_model_tag(const std::string& tag);
    /// The tag's bytes up to the first zero byte.
    std::string model_tag() const;
    /// Writes a settings block made by the emulator's own encoder.
    void set_settings(const speaker_settings& settings);
    /// The settings block decoded by the emulator's own decoder.
    speaker_settings settings() const;
    /// The bridge's current settings.
    bridge_state bridge() const;

    // -- Traffic -------------------------------------------------------------------------

    /// Reports written (hid_write calls) since the last reset or clear_history().
    std::uint64_t report_count() const;
    /// The reports themselves (the first 100,000 after a clear are kept).
    std::vector<report_record> reports() const;
    /// Every flash command since the last reset or clear_history().
    std::vector<flash_command> flash_commands() const;
    /// Protocol violations: what a real speaker would not take (unknown opcodes, malformed
    /// commands, flash commands while the flash is busy, a transfer over 60 bytes, a stale
    /// handle, a second open, also by another program on the same flash file), a command
    /// refused as busy and not sent again, and a transaction left unfinished at close. The
    /// preloaded build also writes each to standard error as a line of its own, starting
    /// "emulated speaker: violation: ".
    std::vector<std::string> violations() const;
    /// hid_open calls that returned a device, hid_close calls, hid_exit calls, open handles.
    std::uint64_t open_count() const;
    std::uint64_t close_count() const;
    std::uint64_t exit_count() const;
    std::uint64_t open_handle_count() const;
    /// Empties reports, flash commands and violations and zeroes the counters.
    void clear_history();

    // -- Timing --------------------------------------------------------------------------

    // The speaker's time is that of quarro's clock seam, where the linked emulated speaker
    // installs a virtual clock as the program starts: each report costs 1 ms of it, a
    // transfer packet its clocking time at the bridge's bit rate and delays, and waits
    // (hid_read_timeout, the panel's sleeps) advance it. Nothing sleeps for real. Preloaded
    // into a program, the speaker's time is real time plus those same costs.

    /// The speaker's time, in microseconds. Any thread.
    std::uint64_t clock_us() const;
    /// How long the busy bit stays set after a 64 KB block erase and after a page program
    /// (defaults: the typical 150 ms and 0.7 ms).
    void set_busy_times(std::uint64_t erase_us, std::uint64_t program_us);

    // -- Faults: each is consumed as it fires; unused_faults() lists those that did not -----

    /// Lets `after` matching reports pass, then applies `kind` to the next `times` matching
    /// reports. `value` as the fault kind describes.
    void inject(report_fault kind, report_filter filter = {}, std::uint64_t after = 0,
                std::uint64_t times = 1, std::uint8_t value = 0);
    /// No device: hid_open finds nothing until reset() or replug().
    void remove_device();
    /// After `reports` more reports the device vanishes: every later call on its handle fails
    /// and hid_open finds nothing until reset() or replug().
    void unplug_after(std::uint64_t reports);
    /// Brings a removed or unplugged device back (open handles stay dead).
    void replug();
    /// The next `times` write-enable commands after `after` of them do not set the latch.
    void ignore_write_enable(std::uint64_t times = 1, std::uint64_t after = 0);
    /// The next `times` erases after `after` of them leave the flash as it was.
    void ignore_erase(std::uint64_t times = 1, std::uint64_t after = 0);
    /// The next `times` page programs after `after` of them leave the flash as it was.
    void ignore_program(std::uint64_t times = 1, std::uint64_t after = 0);
    /// Erase and program of 64 KB block `block` are ignored from now on.
    void protect_block(std::uint32_t block);
    /// The busy bit reads set for the next `polls` status polls (`always`: stuck).
    void hold_busy(std::uint64_t polls);
    /// The byte at `address` reads with `mask` flipped, the next `times` times it is read.
    void flip_bits_on_read(std::uint32_t address, std::uint8_t mask, std::uint64_t times = 1);
    /// Descriptions of injected faults and hooks that did not fire as often as asked.
    std::vector<std::string> unused_faults() const;

    // -- Hooks ---------------------------------------------------------------------------

    /// Runs `hook` on the writing thread just before the bridge answers the report that comes
    /// after `after` more reports (0: the next one). The hook may call any member.
    void before_report(std::uint64_t after, std::function<void()> hook);
    /// Holds the report that comes after `after` more reports until the returned gate is
    /// released (at most report_gate::hold_limit).
    std::shared_ptr<report_gate> hold_report(std::uint64_t after);

    struct state;
    /// The internals the hidapi functions use; not for tests.
    state& internals() { return *state_; }

private:
    speaker();
    ~speaker();

    std::unique_ptr<state> state_;
};

/// Shorthand for speaker::instance().
inline speaker& attached()
{
    return speaker::instance();
}

} // namespace emulated_speaker
