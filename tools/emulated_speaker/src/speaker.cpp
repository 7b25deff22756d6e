// The emulated speaker's control interface and the report handling behind its hidapi functions.
#include "speaker_state.h"
#include "virtual_clock.h"

#include <speaker_link/device/bridge_protocol.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <stdexcept>

#include <unistd.h>

namespace emulated_speaker {
namespace {

namespace bp = bridge_protocol;

// A full-speed USB interrupt report takes a 1 ms frame, each way.
constexpr std::uint64_t report_time_us = 1000;

// Installed as soon as a program that links the emulated speaker starts, so that the code
// around it waits on the virtual clock from its first wait on.
const bool clock_installed = (virtual_clock::install(), true);

std::string kind_name(report_fault kind)
{
    switch (kind) {
    case report_fault::write_fails:
        return "hid_write fails";
    case report_fault::short_write:
        return "short hid_write";
    case report_fault::read_fails:
        return "hid_read fails";
    case report_fault::bridge_status:
        return "bridge status";
    case report_fault::short_reply:
        return "short reply";
    case report_fault::wrong_echo:
        return "wrong echo";
    case report_fault::late_reply:
        return "late reply";
    case report_fault::wrong_count:
        return "wrong transfer count";
    }
    return "report fault";
}

std::string times_text(std::uint64_t after, std::uint64_t times)
{
    return " after " + std::to_string(after) + ", " +
           (times == always ? std::string("always") : std::to_string(times) + " times");
}

bool matches(const report_filter& filter, std::uint8_t command,
             std::optional<std::uint8_t> flash_opcode)
{
    if (filter.command && *filter.command != command)
        return false;
    if (filter.flash_opcode && flash_opcode != filter.flash_opcode)
        return false;
    return true;
}

} // namespace

// A program that preloads the emulated speaker knows nothing of it: there its violations go to
// standard error as well, one line each, for the tests of the program to find in its output.
void speaker::state::violation(const std::string& text)
{
    violations.push_back(text);
#ifdef EMULATED_SPEAKER_VIOLATIONS_ON_STDERR
    const std::string line = "emulated speaker: violation: " + text + "\n";
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, line.data(), line.size());
#endif
}

speaker::state::state()
    : flash([this](const std::string& text) { violation(text); }),
      bridge(flash, [this](const std::string& text) { violation(text); })
{
    flash.on_command = [this](const flash_command& command) {
        if (changes)
            changes->record(command);
    };
}

std::shared_ptr<armed_fault> speaker::state::arm(std::string description, std::uint64_t after,
                                                 std::uint64_t times)
{
    auto fault = std::make_shared<armed_fault>();
    fault->description = std::move(description) + times_text(after, times);
    fault->after = after;
    fault->times = times;
    all_faults.push_back(fault);
    return fault;
}

bool speaker::state::is_live(const hid_device_* device) const
{
    return device != nullptr && device->generation == generation && !device->lost && !unplugged;
}

bool speaker::state::device_reachable()
{
    if (unplugged)
        return false;
    if (removed) {
        if (removal)
            removal->take();
        return false;
    }
    return true;
}

void speaker::state::flush()
{
    if (!file || !flash.dirty())
        return;
    file->store(flash.memory());
    flash.clear_dirty();
}

// Another program may have changed the speaker since this one last had the bridge: the flash
// is the file's as the bridge opens. Changes made by a test's own hand since then go first.
void speaker::state::open_flash_file()
{
    if (!file || file->bridge_open())
        return;
    try {
        flush();
        if (!file->open_bridge(flash.memory()))
            violation("hid: the device is opened while another program has it open");
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
    }
}

void speaker::state::close_flash_file()
{
    if (!file || !file->bridge_open())
        return;
    try {
        file->close_bridge(flash.dirty() ? &flash.memory() : nullptr);
        flash.clear_dirty();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
    }
}

void speaker::state::forget_everything()
{
    violations.clear();
    bridge.factory_reset(); // also the power-up settings a test may have changed
    file.reset();
    changes.reset();
    removed = false;
    unplugged = false;
    removal.reset();
    unplug.reset();
    ++generation;
    reports_written = opens = closes = exits = 0;
    history.clear();
    refused.reset();
    refused_retried = false;
    report_rules.clear();
    hooks.clear();
    all_faults.clear();
}

hid_device_* speaker::state::open()
{
    std::lock_guard<std::mutex> lock(mutex);
    if (!device_reachable())
        return nullptr;
    const auto live = std::count_if(handles.begin(), handles.end(),
                                    [this](const auto& handle) { return is_live(handle.get()); });
    if (live > 0)
        violation("hid: the device is opened while another handle is open");
    open_flash_file();
    auto handle = std::make_unique<hid_device_>();
    handle->generation = generation;
    handles.push_back(std::move(handle));
    ++opens;
    return handles.back().get();
}

void speaker::state::close(hid_device_* device)
{
    std::lock_guard<std::mutex> lock(mutex);
    const auto found = std::find_if(handles.begin(), handles.end(), [device](const auto& handle) {
        return handle.get() == device;
    });
    if (found == handles.end()) {
        violation("hid: hid_close of a handle that is not open");
        return;
    }
    if ((*found)->generation == generation) {
        ++closes;
        // The bridge keeps both across a close: the next panel finds it busy.
        if (bridge.transaction_open())
            violation("bridge: a transaction was left unfinished at close");
        if (refused && !refused_retried)
            violation("bridge: a command refused as busy was not retried");
        refused.reset();
    }
    handles.erase(found);
    const bool last = std::none_of(handles.begin(), handles.end(), [this](const auto& handle) {
        return handle->generation == generation;
    });
    if (last)
        close_flash_file();
}

int speaker::state::write(hid_device_* device, const unsigned char* data, std::size_t length)
{
    std::vector<std::function<void()>> due;
    {
        std::lock_guard<std::mutex> lock(mutex);
        for (hook& entry : hooks)
            if (entry.fault->take())
                due.push_back(entry.run);
    }
    // Hooks run without the lock, so that they may hold the writer or change the speaker.
    for (auto& run : due)
        run();

    std::lock_guard<std::mutex> lock(mutex);
    const std::optional<bridge_model::payload> command = accept_report(device, data, length);
    if (!command)
        return -1;
    report_record* record = nullptr;
    if (history.size() < history_limit) {
        history.push_back({std::vector<std::uint8_t>(data, data + length), {}});
        record = &history.back();
    }

    check_busy_retry(*command);
    virtual_clock::advance_us(report_time_us);
    const std::uint64_t arrived_us = virtual_clock::now_us();

    const std::uint8_t code = (*command)[bp::command_offset];
    const std::optional<std::uint8_t> opcode = bridge.flash_opcode_of(*command);
    std::vector<const report_rule*> firing;
    for (report_rule& rule : report_rules)
        if (matches(rule.filter, code, opcode) && rule.fault->take())
            firing.push_back(&rule);

    std::optional<bridge_model::payload> answer;
    if (const std::optional<int> result = apply_request_faults(firing, code, answer))
        return *result;
    if (record != nullptr)
        record->arrived_us = arrived_us;
    if (!answer)
        answer = bridge.answer(*command, arrived_us);
    if ((*answer)[bp::status_offset] == bp::bridge_status::busy && !refused) {
        refused = *command;
        refused_retried = false;
    }

    hid_device_::reply reply;
    reply.bytes.assign(answer->begin(), answer->end());
    reply.ready_us = arrived_us + report_time_us;
    if (apply_reply_faults(firing, code, reply)) {
        if (record != nullptr)
            record->reply = reply.bytes;
        device->replies.push_back(std::move(reply));
    }
    return static_cast<int>(length);
}

bool speaker::state::check_handle(const hid_device_* device, const char* call)
{
    const bool known = std::any_of(handles.begin(), handles.end(),
                                   [device](const auto& handle) { return handle.get() == device; });
    if (!known) {
        violation(std::string("hid: ") + call + " on a handle that is not open");
        return false;
    }
    return is_live(device);
}

std::optional<bridge_model::payload>
speaker::state::accept_report(hid_device_* device, const unsigned char* data, std::size_t length)
{
    if (!check_handle(device, "hid_write"))
        return std::nullopt;
    ++reports_written;
    if (unplug && unplug->take()) {
        // Unplugged, the bridge loses its power: a transaction in progress is gone.
        unplugged = true;
        for (const auto& handle : handles)
            handle->lost = true;
        bridge.power_cycle(virtual_clock::now_us());
        refused.reset(); // nothing is left to send again
        return std::nullopt;
    }
    if (data == nullptr || length < 2) {
        violation("hid: hid_write of " + std::to_string(length) + " bytes");
        return std::nullopt;
    }
    if (length != bp::output_report_size_bytes)
        violation("hid: output report of " + std::to_string(length) + " bytes");
    if (data[0] != 0)
        violation("hid: report number " + std::to_string(data[0]));

    bridge_model::payload command{};
    std::copy_n(data + bp::report_number_size_bytes,
                std::min(length - bp::report_number_size_bytes, bp::payload_size_bytes),
                command.begin());
    return command;
}

std::optional<int>
speaker::state::apply_request_faults(const std::vector<const report_rule*>& firing,
                                     std::uint8_t code,
                                     std::optional<bridge_model::payload>& answer)
{
    for (const report_rule* rule : firing) {
        if (rule->kind == report_fault::write_fails)
            return -1;
        if (rule->kind == report_fault::short_write)
            return rule->value;
        if (rule->kind == report_fault::bridge_status) {
            if (!answer)
                answer.emplace();
            (*answer)[bp::command_offset] = code;
            (*answer)[bp::status_offset] = rule->value;
        }
    }
    return std::nullopt;
}

bool speaker::state::apply_reply_faults(const std::vector<const report_rule*>& firing,
                                        std::uint8_t code, hid_device_::reply& reply)
{
    bool queued = true;
    for (const report_rule* rule : firing) {
        switch (rule->kind) {
        case report_fault::read_fails:
            reply.fails = true;
            break;
        case report_fault::short_reply:
            reply.bytes.resize(std::min<std::size_t>(rule->value, reply.bytes.size()));
            break;
        case report_fault::wrong_echo:
            reply.bytes[bp::command_offset] = static_cast<std::uint8_t>(code ^ 0x80);
            break;
        case report_fault::late_reply:
            if (rule->value == 0xFF)
                queued = false;
            reply.empty_reads_left = rule->value;
            break;
        case report_fault::wrong_count:
            reply.bytes[bp::transfer_count_offset] = rule->value;
            break;
        default:
            break;
        }
    }
    return queued;
}

void speaker::state::check_busy_retry(const bridge_model::payload& command)
{
    if (!refused)
        return;
    if (command == *refused) {
        refused_retried = true;
        return;
    }
    if (!refused_retried && command[bp::command_offset] != bp::command::cancel_spi_transfer)
        violation("bridge: a command refused as busy was not retried");
    refused.reset();
}

int speaker::state::read(hid_device_* device, unsigned char* data, std::size_t length,
                         int timeout_ms)
{
    std::lock_guard<std::mutex> lock(mutex);
    if (!check_handle(device, "hid_read"))
        return -1;
    // A read waits on the virtual clock: for its reply to cross the bus, or for its whole
    // timeout when none comes in time (a blocking read with nothing coming returns at once).
    const std::uint64_t timeout_us =
        timeout_ms < 0 ? 0 : static_cast<std::uint64_t>(timeout_ms) * 1000;
    const std::uint64_t now_us = virtual_clock::now_us();
    if (device->replies.empty()) {
        virtual_clock::advance_us(timeout_us);
        return 0;
    }
    hid_device_::reply& front = device->replies.front();
    if (front.empty_reads_left > 0) {
        --front.empty_reads_left;
        virtual_clock::advance_us(timeout_us);
        return 0;
    }
    if (front.ready_us > now_us) {
        if (!virtual_clock::runs_ahead && timeout_ms >= 0 && front.ready_us - now_us > timeout_us) {
            virtual_clock::advance_us(timeout_us);
            return 0;
        }
        virtual_clock::advance_to_us(front.ready_us);
    }
    // Running ahead of the program, the speaker also pays the packet's clocking in its own time
    // now, so the program polls for nothing and its next transfer finds the packet clocked.
    if (virtual_clock::runs_ahead)
        virtual_clock::advance_to_us(bridge.clocked_by_us());
    const hid_device_::reply reply = std::move(front);
    device->replies.pop_front();
    if (reply.fails || data == nullptr)
        return -1;
    const std::size_t count = std::min(length, reply.bytes.size());
    std::copy_n(reply.bytes.begin(), count, data);
    return static_cast<int>(count);
}

// -- speaker ----------------------------------------------------------------------------------

speaker::speaker() : state_(std::make_unique<state>())
{
    const char* model_variable = std::getenv("PELLARO_EMULATED_MODEL");
    std::string model = model_variable != nullptr ? model_variable : "K5R";
    try {
        factory_model_tag(model);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s; using K5R\n", error.what());
        model = "K5R";
    }
    state_->flash.load(factory_image(model));
    const char* path = std::getenv("PELLARO_EMULATED_FLASH");
    if (path != nullptr && *path != '\0') {
        try {
            use_flash_file(path, model);
        } catch (const std::exception& error) {
            std::fprintf(stderr, "%s; the flash stays in memory\n", error.what());
        }
    }
    const char* changes = std::getenv("PELLARO_EMULATED_CHANGE_LOG");
    if (changes != nullptr && *changes != '\0') {
        try {
            log_flash_changes(changes);
        } catch (const std::exception& error) {
            std::fprintf(stderr, "%s\n", error.what());
        }
    }
}

speaker::~speaker()
{
    try {
        std::lock_guard<std::mutex> lock(state_->mutex);
        state_->flush();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
    }
}

speaker& speaker::instance()
{
    static speaker the_speaker;
    return the_speaker;
}

void speaker::reset(const std::string& model)
{
    // Each model's image is made once: tests attach a fresh speaker thousands of times.
    static std::mutex images_mutex;
    static std::map<std::string, std::vector<std::uint8_t>> images;
    std::lock_guard<std::mutex> images_lock(images_mutex);
    auto image = images.find(model);
    if (image == images.end())
        image = images.emplace(model, factory_image(model)).first;
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->forget_everything();
    state_->flash.load(image->second);
}

void speaker::use_flash_file(const std::string& path, const std::string& model)
{
    auto file = std::make_unique<flash_file>(path);
    std::vector<std::uint8_t> image = file->load_or_create([&] { return factory_image(model); });
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->flash.memory() = std::move(image);
    state_->flash.clear_dirty();
    state_->file = std::move(file);
}

void speaker::log_flash_changes(const std::string& path)
{
    auto changes = std::make_unique<change_log>(path);
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->changes = std::move(changes);
}

std::vector<std::uint8_t> speaker::flash(std::uint32_t address, std::uint32_t length) const
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    const auto& memory = state_->flash.memory();
    if (address > memory.size() || length > memory.size() - address)
        throw std::out_of_range("emulated speaker: flash range beyond 2 MiB");
    return std::vector<std::uint8_t>(memory.begin() + address, memory.begin() + address + length);
}

std::vector<std::uint8_t> speaker::plain(std::uint32_t address, std::uint32_t length) const
{
    std::vector<std::uint8_t> bytes = flash(address, length);
    for (std::uint8_t& byte : bytes)
        byte = mirror(byte);
    return bytes;
}

std::vector<std::uint8_t> speaker::image() const
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->flash.memory();
}

void speaker::set_flash(std::uint32_t address, const std::vector<std::uint8_t>& stored)
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    auto& memory = state_->flash.memory();
    if (address > memory.size() || stored.size() > memory.size() - address)
        throw std::out_of_range("emulated speaker: flash range beyond 2 MiB");
    std::copy(stored.begin(), stored.end(), memory.begin() + address);
    state_->flash.mark_dirty();
}

void speaker::set_plain(std::uint32_t address, const std::vector<std::uint8_t>& plain)
{
    std::vector<std::uint8_t> stored(plain);
    for (std::uint8_t& byte : stored)
        byte = mirror(byte);
    set_flash(address, stored);
}

void speaker::set_model_tag(const std::string& tag)
{
    std::vector<std::uint8_t> bytes(bp::model_tag_size_bytes, 0);
    std::copy_n(tag.begin(), std::min(tag.size(), bytes.size()), bytes.begin());
    set_plain(bp::model_tag_address, bytes);
}

std::string speaker::model_tag() const
{
    const std::vector<std::uint8_t> bytes = plain(bp::model_tag_address, bp::model_tag_size_bytes);
    const auto end = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
    return std::string(bytes.begin(), end);
}

void speaker::set_settings(const speaker_settings& settings)
{
    const auto bytes = encode_settings(settings);
    set_plain(bp::settings_block_address, std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
}

speaker_settings speaker::settings() const
{
    return decode_settings(plain(bp::settings_block_address, settings_size_bytes).data());
}

bridge_state speaker::bridge() const
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->bridge.state();
}

std::uint64_t speaker::report_count() const
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->reports_written;
}

std::vector<report_record> speaker::reports() const
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->history;
}

std::vector<flash_command> speaker::flash_commands() const
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->flash.log();
}

std::vector<std::string> speaker::violations() const
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->violations;
}

std::uint64_t speaker::open_count() const
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->opens;
}

std::uint64_t speaker::close_count() const
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->closes;
}

std::uint64_t speaker::exit_count() const
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->exits;
}

std::uint64_t speaker::open_handle_count() const
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    return static_cast<std::uint64_t>(
        std::count_if(state_->handles.begin(), state_->handles.end(),
                      [this](const auto& handle) { return state_->is_live(handle.get()); }));
}

void speaker::clear_history()
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->history.clear();
    state_->flash.clear_log();
    state_->violations.clear();
    state_->reports_written = state_->opens = state_->closes = state_->exits = 0;
}

void speaker::set_busy_times(std::uint64_t erase_us, std::uint64_t program_us)
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->flash.set_busy_times(erase_us, program_us);
}

std::uint64_t speaker::clock_us() const
{
    return virtual_clock::now_us();
}

void speaker::inject(report_fault kind, report_filter filter, std::uint64_t after,
                     std::uint64_t times, std::uint8_t value)
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    std::string description = kind_name(kind) + " " + std::to_string(value);
    if (filter.command)
        description += " on command " + std::to_string(*filter.command);
    if (filter.flash_opcode)
        description += " on flash opcode " + std::to_string(*filter.flash_opcode);
    state_->report_rules.push_back(
        {kind, filter, value, state_->arm(std::move(description), after, times)});
}

void speaker::remove_device()
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->removed = true;
    state_->removal = state_->arm("device absent", 0, always);
}

void speaker::unplug_after(std::uint64_t reports)
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->unplug = state_->arm("unplugged", reports, 1);
}

void speaker::replug()
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->removed = false;
    state_->unplugged = false;
    state_->unplug.reset();
}

void speaker::ignore_write_enable(std::uint64_t times, std::uint64_t after)
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->flash.write_enable_faults.push_back(
        state_->arm("write enable not latching", after, times));
}

void speaker::ignore_erase(std::uint64_t times, std::uint64_t after)
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->flash.erase_faults.push_back(state_->arm("erase ignored", after, times));
}

void speaker::ignore_program(std::uint64_t times, std::uint64_t after)
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->flash.program_faults.push_back(state_->arm("program ignored", after, times));
}

void speaker::protect_block(std::uint32_t block)
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->flash.protected_blocks.push_back(
        {block, state_->arm("block " + std::to_string(block) + " protected", 0, always)});
}

void speaker::hold_busy(std::uint64_t polls)
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->flash.busy_faults.push_back(state_->arm("busy held", 0, polls));
}

void speaker::flip_bits_on_read(std::uint32_t address, std::uint8_t mask, std::uint64_t times)
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->flash.flipped_bytes.push_back(
        {address, mask, state_->arm("bits flipped at " + std::to_string(address), 0, times)});
}

std::vector<std::string> speaker::unused_faults() const
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    std::vector<std::string> unused;
    for (const auto& fault : state_->all_faults)
        if (fault->unused())
            unused.push_back(fault->description + ": fired " + std::to_string(fault->fired));
    return unused;
}

void speaker::before_report(std::uint64_t after, std::function<void()> hook)
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->hooks.push_back({std::move(hook), state_->arm("hook", after, 1)});
}

std::shared_ptr<report_gate> speaker::hold_report(std::uint64_t after)
{
    auto gate = std::make_shared<report_gate>();
    before_report(after, [gate] { gate->hold(); });
    return gate;
}

} // namespace emulated_speaker
