// The emulated speaker's state behind its control interface and its hidapi functions: the
// bridge and flash models, the open handles, the replies waiting to be read, the fault plan,
// the hooks and the traffic history, all under one lock.
#pragma once

#include "armed_fault.h"
#include "bridge_model.h"
#include "change_log.h"
#include "flash_file.h"
#include "spi_flash_model.h"

#include <emulated_speaker/speaker.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

/// hidapi's opaque device handle, as the emulated speaker hands it out.
struct hid_device_
{
    struct reply
    {
        std::vector<std::uint8_t> bytes;
        /// Virtual time at which the reply has crossed the bus.
        std::uint64_t ready_us = 0;
        std::uint64_t empty_reads_left = 0;
        bool fails = false;
    };

    std::uint64_t generation = 0;
    /// The device was unplugged while this handle was open: it stays dead after a replug.
    bool lost = false;
    std::deque<reply> replies;
};

namespace emulated_speaker {

struct speaker::state
{
    state();

    static constexpr std::size_t history_limit = 100000;

    void violation(const std::string& text);
    std::shared_ptr<armed_fault> arm(std::string description, std::uint64_t after,
                                     std::uint64_t times);
    bool is_live(const hid_device_* device) const;
    bool device_reachable();
    void flush();
    void open_flash_file();
    void close_flash_file();
    void forget_everything();

    // -- hidapi side (lock not held on entry) --
    hid_device_* open();
    void close(hid_device_* device);
    int write(hid_device_* device, const unsigned char* data, std::size_t length);
    int read(hid_device_* device, unsigned char* data, std::size_t length, int timeout_ms);

    // -- the steps of a report (lock held) --
    struct report_rule;
    /// True when `device` is open and still reaches the speaker. A handle that is not open is
    /// a violation named after `call`; a stale or lost one just fails, as after an unplug.
    bool check_handle(const hid_device_* device, const char* call);
    /// Checks and counts one output report (it may be the one the speaker is unplugged at)
    /// and takes its payload; none when hid_write fails.
    std::optional<bridge_model::payload>
    accept_report(hid_device_* device, const unsigned char* data, std::size_t length);
    void check_busy_retry(const bridge_model::payload& command);
    /// The faults that act before the bridge: hid_write's result when one ends the write,
    /// else none, with `answer` set when a status fault answers in the bridge's place.
    std::optional<int> apply_request_faults(const std::vector<const report_rule*>& firing,
                                            std::uint8_t code,
                                            std::optional<bridge_model::payload>& answer);
    /// The faults that spoil the bridge's reply; false when the reply never comes.
    bool apply_reply_faults(const std::vector<const report_rule*>& firing, std::uint8_t code,
                            hid_device_::reply& reply);

    mutable std::mutex mutex;
    std::vector<std::string> violations;
    spi_flash_model flash;
    bridge_model bridge;
    /// The flash file shared with other programs; null while the flash lives in memory.
    std::unique_ptr<flash_file> file;
    /// Where the flash's erases and page programs are told; null while they are not.
    std::unique_ptr<change_log> changes;

    bool removed = false;
    bool unplugged = false;
    std::shared_ptr<armed_fault> removal;
    std::shared_ptr<armed_fault> unplug;

    std::vector<std::unique_ptr<hid_device_>> handles;
    std::uint64_t generation = 1;

    std::uint64_t reports_written = 0;
    std::uint64_t opens = 0;
    std::uint64_t closes = 0;
    std::uint64_t exits = 0;
    std::vector<report_record> history;

    /// The last command the bridge refused as busy, until another command follows it.
    std::optional<bridge_model::payload> refused;
    bool refused_retried = false;

    struct report_rule
    {
        report_fault kind;
        report_filter filter;
        std::uint8_t value;
        std::shared_ptr<armed_fault> fault;
    };
    std::vector<report_rule> report_rules;
    struct hook
    {
        std::function<void()> run;
        std::shared_ptr<armed_fault> fault;
    };
    std::vector<hook> hooks;
    std::vector<std::shared_ptr<armed_fault>> all_faults;
};

} // namespace emulated_speaker
