// The one object through which the panel reaches the speaker: it keeps the speaker's last known
// state and the preset being edited, runs every device and firmware operation on a thread of
// its own and reports each result through dsp_control_callback.
#pragma once

#include <speaker_link/device/speaker_lock.h>
#include <speaker_link/dsp_control_callback.h>
#include <speaker_link/settings/main_settings.h>
#include <speaker_link/settings/preset.h>

#include <quarro/files/filepath.h>
#include <quarro/memory/data_ptr.h>
#include <quarro/memory/reference_counter.h>
#include <quarro/types.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <future>
#include <mutex>
#include <string>
#include <vector>

/// Owned by the panel through a data_ptr. The constructor, the destructor, the operations and
/// the accessors are called on one thread (the message thread); the operations' workers run on
/// threads of their own and report through the callback.
///
/// Each operation returns at once, apart from one wait: operations share five slots, and
/// starting one waits until the earlier operation of the same slot has ended (the new one is
/// already running then). Workers of different slots run side by side but take turns on the
/// speaker through the device lock, and with other programs through speaker_lock; the
/// firmware search never touches the speaker.
class dsp_control : public memory::reference_counter
{
public:
    /// Makes the folders "Velk Audio/Pellaro", its "presets" and "logs" under the user's
    /// Documents folder (created when missing) and points the log at "logs". A log that cannot
    /// be set up is logged where possible and otherwise ignored; without a Documents folder the
    /// object still works, with no log file and no preset folder. Throws nothing of its own.
    /// `receiver` is not owned and must outlive the object.
    explicit dsp_control(dsp_control_callback& receiver);
    static constexpr quarro::i32 default_search_time_limit_ms = 90000;
    /// Waits until every started operation has ended, its report included. A firmware search
    /// or package download still on the network is stopped first (within about a second) and
    /// reports as failed; a download keeps its resume file. Device operations that hold the
    /// speaker run to their end; those still waiting for it give up and report as failed.
    ~dsp_control();
    dsp_control(const dsp_control&) = delete;
    dsp_control& operator=(const dsp_control&) = delete;

    // -- Operations: each ends with one report through the callback, unless it says otherwise.
    // A std::system_error leaves when no thread can be started; the slot then stays as it was.

    /// Reads the main settings, model, serial, firmware version and user preset count.
    /// Reports speaker_changed when the model or serial differs from the one held (always
    /// the first time), else main_settings_read; main_settings_read_failed on failure. Before
    /// speaker_changed, the update permission and the firmware service's last answer are
    /// dropped: they were for the speaker that has gone.
    void read_main_settings_from_device();
    /// Writes the held main settings (the speaker's own when none are held) into the speaker's
    /// block. Reports main_settings_written or main_settings_write_failed.
    void write_main_settings_to_device();
    /// Reads user preset `index` (0-based) into the current preset. Starts nothing and reports
    /// nothing when `index` is not below get_user_preset_count(). Reports user_preset_read, or
    /// user_preset_read_failed, also when the speaker attached now has no such preset.
    void read_user_preset_from_device(quarro::u64 index);
    /// Writes the current preset as user preset `index`; the other slots and the main settings
    /// stay as the speaker holds them. Refused like read_user_preset_from_device. Reports
    /// user_preset_written or user_preset_write_failed.
    void write_user_preset_to_device(quarro::u64 index);
    /// Writes default main settings (input 0, volume 0 dB, delay 0 ms, second factory voicing)
    /// and the default preset into every user preset; they become the held main settings even
    /// when the write fails. Reports device_reset or device_reset_failed.
    void reset_device();
    /// Asks the firmware service about newer firmware for the connected model; the request may
    /// take `time_limit_ms` in all. Reports firmware_update_available, firmware_up_to_date or
    /// firmware_search_failed. The answer is judged against the speaker's firmware version
    /// held when it arrives. An answer that arrives after another speaker was read (another
    /// model or serial) is not kept and reports firmware_up_to_date.
    void search_firmware_update(quarro::i32 time_limit_ms = default_search_time_limit_ms);
    /// Downloads the package the last search found into "firmware/<model>/<version>" of the
    /// data folder (continuing an interrupted download), checks its MD5 against the service's
    /// checksum and installs it into the speaker it was started for, provided that speaker
    /// still has the firmware version the search's answer was judged against. Reports
    /// firmware_update_started, stage-1 progress while downloading, then
    /// firmware_update_succeeded or firmware_update_failed; with kind firmware_changed the
    /// version found has become get_firmware_version(), no update is allowed and nothing was
    /// written: a new search tells what is offered now. The speaker is held only for the
    /// installation: until then give_up_waiting_for_speaker() gives the update up, and other
    /// programs may use the speaker.
    void update_firmware();

    // -- Accessors

    /// True when the firmware service's last version is newer than the speaker's.
    bool is_firmware_update_available() const;
    /// A deep copy of the current preset (one reference, the caller's); never null.
    memory::data_ptr<preset> get_current_preset() const;
    /// A deep copy of `record` becomes the current preset. Throws err::runtime_error for null.
    void set_current_preset(const memory::data_ptr<preset>& record);
    /// A copy of the held main settings (one reference, the caller's); null before the first
    /// read or reset.
    memory::data_ptr<main_settings> get_main_settings() const;
    /// A copy of `record` becomes the held main settings; they reach the speaker only through
    /// write_main_settings_to_device. Throws err::runtime_error for null.
    void set_main_settings(const memory::data_ptr<main_settings>& record);
    /// The connected speaker's model ("K5R"), serial ("K-004711") and firmware version
    /// ("1.0.7"); empty before the first read.
    std::string get_model() const;
    std::string get_serial() const;
    std::string get_firmware_version() const;
    /// The connected speaker's number of user presets: 0 before the first read, then 2 or 3.
    quarro::u64 get_user_preset_count() const noexcept;
    /// True once a search found online firmware at least as new as the speaker's, until
    /// another speaker is read or the update succeeds.
    bool is_firmware_update_allowed() const noexcept;
    /// True while an operation waits for another program to let go of the speaker; such an
    /// operation has not said anything to the speaker yet. Any thread.
    bool is_waiting_for_speaker() const;
    /// For a program about to close. Unless an operation holds the speaker now: every wait for
    /// it is given up, now and from now on, and so are the firmware search and download on the
    /// network (a download keeps its resume file); those operations report their failure
    /// without touching the speaker, and the result is true. While one holds it: false, and
    /// nothing changes.
    bool give_up_waiting_for_speaker();
    /// For a program that must end without destroying the object (its display has gone, and
    /// with it every way to ask the user): from now on every operation returns at once,
    /// starting nothing and reporting nothing; every wait for the speaker, the firmware search
    /// and a firmware download are given up as the destructor gives them up (a download keeps
    /// its partial file and resume file); and the call returns once every started worker has
    /// ended, its report included. An operation that holds the speaker runs to its end (an
    /// installation to its last block, its verify and its version), so that the speaker is let
    /// go whole. Calling it again only waits again. Any thread but a worker's; a callback that
    /// called it would wait for itself.
    void finish_operations();
    /// What the workers that have not ended yet do, in the words of a log line ("the settings
    /// write", "the firmware update"), oldest first; empty when none runs. Any thread.
    std::vector<std::string> running_operations() const;
    /// True while the worker of a device operation (any operation but the firmware search)
    /// has not ended, its report included: starting another one now might wait for it.
    bool is_device_operation_running() const;
    /// True while the worker of a firmware search has not ended, its report included.
    bool is_firmware_search_running() const;
    /// The start folder of the preset file dialogs; the empty filepath when it could not be
    /// made.
    const files::filepath& get_preset_folder() const noexcept { return preset_folder; }

    // -- Preset files, on the calling thread (the message thread). A failure is logged at
    // log_level::error (file and console), changes nothing and is thrown on to the caller.

    /// The preset in the file becomes the current preset. A file that can't be read, or
    /// holds no preset with eight bands, leaves the current preset as it was: its
    /// err::exception is logged and thrown on.
    void load_preset_file(const files::filepath& path);
    /// Writes a copy of the current preset, named after the file's base name, to the file;
    /// the previous content is replaced only by a complete new file. The current preset
    /// keeps its name. A failed write (the file can't be written, the disk is full) is logged
    /// and then thrown on (the err::exception of files::write_file), so that the caller can
    /// tell the user; the file keeps its previous content.
    void save_preset_file(const files::filepath& path);

private:
    // The firmware workers reach the object's state through this view alone.
    friend class firmware_access;

    void start(std::future<void>& slot, const char* operation, std::function<void()> worker);
    void worker_ended(const char* operation) noexcept;
    memory::data_ptr<main_settings> held_main_settings() const;
    memory::data_ptr<preset> held_current_preset() const;

    // Workers, one per operation; each runs on its own thread and never throws.
    void read_main_settings_task() noexcept;
    void write_main_settings_task() noexcept;
    void read_user_preset_task(quarro::u64 index) noexcept;
    void write_user_preset_task(quarro::u64 index) noexcept;
    void reset_device_task() noexcept;
    void search_firmware_update_task(quarro::i32 time_limit_ms) noexcept;
    void update_firmware_task() noexcept;

    memory::data_ptr<main_settings> speaker_settings; // null until the first read or reset
    memory::data_ptr<preset> current_preset;          // never null
    std::string model;
    std::string serial;
    std::string firmware_version;
    quarro::u64 speaker_generation = 0; // counts the speakers read; guarded by data_mutex
    std::atomic<quarro::u64> user_preset_count{0};
    dsp_control_callback& callback;
    const files::filepath user_data_folder;
    const files::filepath preset_folder;
    // Guards the records and texts; held only for copies and swaps, never across the speaker
    // link, a callback or a file. Taken after device_mutex, never before.
    mutable std::mutex data_mutex;
    // Held by every worker that touches the speaker, for its whole run; the speaker_lock
    // against other programs is taken inside it and let go with it.
    std::mutex device_mutex;
    std::atomic<bool> firmware_update_allowed{false};
    std::atomic<bool> firmware_update_running{false};
    // Set when the program closes (a wait given up, or the destructor): transfers on the
    // network end then, so that quitting never hangs on them.
    std::atomic<bool> closing{false};
    // Which operation waits for the speaker or holds it; waits are given up on closing.
    speaker_turns turns;
    // The workers that have not ended, named by what they do; once finishing, none starts.
    mutable std::mutex workers_mutex;
    std::condition_variable workers_ended;
    std::vector<const char*> running_workers;
    bool finishing = false;
    // The firmware service's last answer, and the speaker's firmware version it was judged
    // against: an update writes only while the speaker still has that version.
    std::string online_firmware_version;
    std::string firmware_download_url;
    std::string firmware_checksum;
    std::string answered_firmware_version;
    // The operation slots come last, so that even without the destructor's own wait they would
    // be given up, and their workers waited for, before any member those workers use.
    std::future<void> read_main_settings_future;
    std::future<void> write_main_settings_future; // shared with update_firmware
    std::future<void> reset_device_future;        // shared with write_user_preset_to_device
    std::future<void> search_firmware_future;
    std::future<void> read_user_preset_future;
};
