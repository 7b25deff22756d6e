// dsp_control: set-up, the operation slots, the accessors and the workers.
#include <speaker_link/dsp_control.h>

#include <speaker_link/firmware/firmware_version.h>
#include <speaker_link/settings/preset_file.h>
#include <speaker_link/settings/settings_block.h>
#include <speaker_link/settings/settings_encoding.h>

#include "firmware_search.h"
#include "firmware_update.h"
#include "worker_frame.h"

#include <quarro/desktop/known_folders.h>
#include <quarro/err/exception.h>
#include <quarro/files/file_name_parts.h>
#include <quarro/files/folder_operations.h>
#include <quarro/log/logbook.h>

#include <algorithm>
#include <cassert>
#include <chrono>
#include <utility>

namespace {

using quarro::u32;
using quarro::u64;

const char* const data_folder_path = "Velk Audio/Pellaro";
const char* const log_header = "Velk Audio Pellaro 1.0.2 Linux 64 bit\r\n";
// The reset selects the second factory voicing.
constexpr u32 default_active_preset = 2;

bool still_running(const std::future<void>& slot)
{
    return slot.valid() && slot.wait_for(std::chrono::seconds(0)) != std::future_status::ready;
}

// The log goes into "logs" when that folder can be had; otherwise the logbook keeps whatever it
// was set to, and the panel works without a log file.
void set_up_log(const files::filepath& data_folder) noexcept
{
    try {
        const files::filepath logs = files::get_or_create_folder(data_folder, "logs");
        if (!logs.exists())
            return;
        quarro::logbook& book = quarro::logbook::instance();
        book.set_log_folder(logs);
        book.set_header(log_header);
        quarro::log_levels levels;
        levels.file = quarro::log_level::info;
        levels.console = quarro::log_level::none;
        levels.notification = quarro::log_level::none;
        book.set_levels(levels);
    } catch (const err::exception& error) {
        log_failure(error, quarro::log_level::error);
    } catch (...) {
    }
}

// Without a Documents folder (none can be made, or a file has its name) the panel still runs:
// it keeps no log then, and preset files start from no particular folder.
files::filepath user_folder() noexcept
{
    try {
        return files::make_path(quarro::get_user_documents_path(), data_folder_path);
    } catch (const err::exception& error) {
        log_failure(error, quarro::log_level::error);
    } catch (...) {
    }
    return files::filepath();
}

template <class Record>
void require_record(const memory::data_ptr<Record>& record, const char* operation)
{
    if (!record)
        throw err::runtime_error(std::string(operation) + " needs a record, not null");
}

} // namespace

dsp_control::dsp_control(dsp_control_callback& receiver)
    : current_preset(memory::make_data_ptr<preset>()), callback(receiver),
      user_data_folder(user_folder()), preset_folder(files::make_path(user_data_folder, "presets"))
{
    set_up_log(user_data_folder);
}

dsp_control::~dsp_control()
{
    assert(!is_inside_worker() && "a dsp_control_callback must not destroy the dsp_control");
    closing.store(true);
    turns.give_up();
    // Every worker uses the members; none may go before the last worker has ended.
    for (std::future<void>* slot :
         {&read_user_preset_future, &search_firmware_future, &reset_device_future,
          &write_main_settings_future, &read_main_settings_future}) {
        std::future<void> task = std::move(*slot);
        if (task.valid())
            task.wait();
    }
}

void dsp_control::start(std::future<void>& slot, const char* operation,
                        std::function<void()> worker)
{
    // A callback that started an operation would wait for its own worker or for the device lock
    // that worker holds.
    assert(!is_inside_worker() && "a dsp_control_callback must not start a dsp_control operation");
    {
        // Counted before it runs, so that finish_operations never misses a worker.
        const std::lock_guard<std::mutex> lock(workers_mutex);
        if (finishing)
            return;
        running_workers.push_back(operation);
    }
    std::future<void> previous;
    try {
        previous = std::exchange(
            slot, std::async(std::launch::async, [this, operation, worker = std::move(worker)] {
                worker();
                worker_ended(operation);
            }));
    } catch (...) {
        worker_ended(operation);
        throw;
    }
    // The slot's earlier operation ends before this call returns; the new one already runs.
    if (previous.valid())
        previous.wait();
}

void dsp_control::worker_ended(const char* operation) noexcept
{
    const std::lock_guard<std::mutex> lock(workers_mutex);
    running_workers.erase(std::find(running_workers.begin(), running_workers.end(), operation));
    workers_ended.notify_all();
}

void dsp_control::read_main_settings_from_device()
{
    start(read_main_settings_future, "the settings read", [this] { read_main_settings_task(); });
}

void dsp_control::write_main_settings_to_device()
{
    start(write_main_settings_future, "the settings write", [this] { write_main_settings_task(); });
}

void dsp_control::read_user_preset_from_device(u64 index)
{
    if (index >= user_preset_count.load())
        return;
    start(read_user_preset_future, "the user preset read",
          [this, index] { read_user_preset_task(index); });
}

void dsp_control::write_user_preset_to_device(u64 index)
{
    if (index >= user_preset_count.load())
        return;
    start(reset_device_future, "the user preset write",
          [this, index] { write_user_preset_task(index); });
}

void dsp_control::reset_device()
{
    start(reset_device_future, "the reset", [this] { reset_device_task(); });
}

void dsp_control::search_firmware_update(quarro::i32 time_limit_ms)
{
    start(search_firmware_future, "the firmware search",
          [this, time_limit_ms] { search_firmware_update_task(time_limit_ms); });
}

void dsp_control::update_firmware()
{
    start(write_main_settings_future, "the firmware update", [this] { update_firmware_task(); });
}

void dsp_control::finish_operations()
{
    assert(!is_inside_worker() && "a dsp_control_callback must not finish the dsp_control");
    std::unique_lock<std::mutex> lock(workers_mutex);
    finishing = true;
    // As the destructor does: waits and transfers end, a hold on the speaker runs to its end.
    closing.store(true);
    turns.give_up();
    // Each worker is bounded by its own limits (transfer watchdog, flash busy polls), so this
    // wait ends; an installation may take minutes.
    workers_ended.wait(lock, [this] { return running_workers.empty(); });
}

std::vector<std::string> dsp_control::running_operations() const
{
    const std::lock_guard<std::mutex> lock(workers_mutex);
    return std::vector<std::string>(running_workers.begin(), running_workers.end());
}

bool dsp_control::is_firmware_update_available() const
{
    std::string online;
    std::string current;
    {
        const std::lock_guard<std::mutex> lock(data_mutex);
        online = online_firmware_version;
        current = firmware_version;
    }
    return is_newer_firmware_version(online, current);
}

memory::data_ptr<preset> dsp_control::get_current_preset() const
{
    // Held records are never changed, so the copy can be made outside the lock.
    return memory::make_data_ptr<preset>(*held_current_preset());
}

void dsp_control::set_current_preset(const memory::data_ptr<preset>& record)
{
    require_record(record, "dsp_control::set_current_preset()");
    memory::data_ptr<preset> copy = memory::make_data_ptr<preset>(*record);
    const std::lock_guard<std::mutex> lock(data_mutex);
    std::swap(current_preset, copy);
}

memory::data_ptr<main_settings> dsp_control::get_main_settings() const
{
    const memory::data_ptr<main_settings> held = held_main_settings();
    if (!held)
        return nullptr;
    return memory::make_data_ptr<main_settings>(*held);
}

void dsp_control::set_main_settings(const memory::data_ptr<main_settings>& record)
{
    require_record(record, "dsp_control::set_main_settings()");
    memory::data_ptr<main_settings> copy = memory::make_data_ptr<main_settings>(*record);
    const std::lock_guard<std::mutex> lock(data_mutex);
    std::swap(speaker_settings, copy);
}

std::string dsp_control::get_model() const
{
    const std::lock_guard<std::mutex> lock(data_mutex);
    return model;
}

std::string dsp_control::get_serial() const
{
    const std::lock_guard<std::mutex> lock(data_mutex);
    return serial;
}

std::string dsp_control::get_firmware_version() const
{
    const std::lock_guard<std::mutex> lock(data_mutex);
    return firmware_version;
}

u64 dsp_control::get_user_preset_count() const noexcept
{
    return user_preset_count.load();
}

bool dsp_control::is_firmware_update_allowed() const noexcept
{
    return firmware_update_allowed.load();
}

bool dsp_control::is_waiting_for_speaker() const
{
    return turns.waiting();
}

bool dsp_control::give_up_waiting_for_speaker()
{
    if (!turns.give_up_unless_held())
        return false;
    // The program closes: transfers on the network, a firmware download too, end now.
    closing.store(true);
    return true;
}

bool dsp_control::is_device_operation_running() const
{
    return still_running(read_main_settings_future) || still_running(write_main_settings_future) ||
           still_running(reset_device_future) || still_running(read_user_preset_future);
}

bool dsp_control::is_firmware_search_running() const
{
    return still_running(search_firmware_future);
}

memory::data_ptr<main_settings> dsp_control::held_main_settings() const
{
    const std::lock_guard<std::mutex> lock(data_mutex);
    return speaker_settings;
}

void dsp_control::load_preset_file(const files::filepath& path)
{
    try {
        // The file is read before the lock is taken; only the swap happens under it.
        memory::data_ptr<preset> loaded = read_preset_file(path);
        const std::lock_guard<std::mutex> lock(data_mutex);
        std::swap(current_preset, loaded);
    } catch (const err::exception& error) {
        // A load the user asked for must not look like a success: the caller shows it.
        log_failure(error, quarro::log_level::error);
        throw;
    }
}

void dsp_control::save_preset_file(const files::filepath& path)
{
    try {
        const memory::data_ptr<preset> copy = get_current_preset();
        // On Linux a backslash is part of the file's name, and so of the preset's.
        copy->name =
            files::split_file_name(path.get_path(), files::path_separators::slash).base_name;
        write_preset_file(path, *copy);
    } catch (const err::exception& error) {
        // A save the user asked for must not look like a success: the caller shows it.
        log_failure(error, quarro::log_level::error);
        throw;
    }
}

memory::data_ptr<preset> dsp_control::held_current_preset() const
{
    const std::lock_guard<std::mutex> lock(data_mutex);
    return current_preset;
}

// -- Device workers: read the whole block, change it in memory, write the whole block back.

namespace {

// The panel shows a failed device operation in a box that only asks to check the connection:
// the log file (which takes up to log_level::info) keeps the reason.
constexpr quarro::u32 device_failure_level = quarro::log_level::warning;

} // namespace

void dsp_control::read_main_settings_task() noexcept
{
    run_worker(
        &device_mutex, turns, device_failure_level,
        [this] {
            const device_settings settings = read_settings_block();
            memory::data_ptr<main_settings> record = decode_main_settings(settings);
            bool changed = false;
            {
                const std::lock_guard<std::mutex> lock(data_mutex);
                firmware_version = settings.firmware_version;
                std::swap(speaker_settings, record);
                changed = model != settings.model || serial != settings.serial;
                model = settings.model;
                serial = settings.serial;
                if (changed) {
                    // Only a search for the speaker attached now may offer it an update.
                    ++speaker_generation;
                    firmware_update_allowed.store(false);
                    online_firmware_version.clear();
                    firmware_download_url.clear();
                    firmware_checksum.clear();
                    answered_firmware_version.clear();
                }
            }
            user_preset_count.store(settings.user_preset_count);
            if (changed)
                callback.speaker_changed(*this);
            else
                callback.main_settings_read(*this);
        },
        [this] { callback.main_settings_read_failed(*this); });
}

void dsp_control::write_main_settings_task() noexcept
{
    run_worker(
        &device_mutex, turns, device_failure_level,
        [this] {
            device_settings settings = read_settings_block();
            encode_main_settings(settings, held_main_settings());
            write_settings_block(settings);
            callback.main_settings_written(*this);
        },
        [this] { callback.main_settings_write_failed(*this); });
}

// The index was checked against the count held when the operation started, but the speaker may
// have been swapped since: the user preset codings refuse an index that the speaker just read
// does not have, so no other slot is ever read or written in its place.

void dsp_control::read_user_preset_task(u64 index) noexcept
{
    run_worker(
        &device_mutex, turns, device_failure_level,
        [this, index] {
            memory::data_ptr<preset> record = decode_user_preset(read_settings_block(), index);
            {
                const std::lock_guard<std::mutex> lock(data_mutex);
                std::swap(current_preset, record);
            }
            callback.user_preset_read(*this);
        },
        [this] { callback.user_preset_read_failed(*this); });
}

void dsp_control::write_user_preset_task(u64 index) noexcept
{
    run_worker(
        &device_mutex, turns, device_failure_level,
        [this, index] {
            device_settings settings = read_settings_block();
            encode_user_preset(settings, index, held_current_preset());
            write_settings_block(settings);
            callback.user_preset_written(*this);
        },
        [this] { callback.user_preset_write_failed(*this); });
}

void dsp_control::reset_device_task() noexcept
{
    run_worker(
        &device_mutex, turns, device_failure_level,
        [this] {
            device_settings settings = read_settings_block();
            auto defaults = memory::make_data_ptr<main_settings>();
            defaults->input = 0;
            defaults->volume = 0.0;
            defaults->delay = 0.0;
            defaults->active_preset = default_active_preset;
            const auto default_preset = memory::make_data_ptr<preset>();
            {
                memory::data_ptr<main_settings> stored = defaults;
                const std::lock_guard<std::mutex> lock(data_mutex);
                std::swap(speaker_settings, stored);
            }
            encode_main_settings(settings, defaults);
            // Only the user presets: the factory voicings stay as the speaker holds them.
            for (u64 index = 0; index < settings.user_preset_count; ++index)
                encode_user_preset(settings, index, default_preset);
            write_settings_block(settings);
            callback.device_reset(*this);
        },
        [this] { callback.device_reset_failed(*this); });
}

// -- Firmware workers, in files of their own.

void dsp_control::search_firmware_update_task(quarro::i32 time_limit_ms) noexcept
{
    search_firmware(firmware_access(*this), time_limit_ms);
}

void dsp_control::update_firmware_task() noexcept
{
    run_firmware_update(firmware_access(*this), {60000, max_firmware_package_bytes});
}
