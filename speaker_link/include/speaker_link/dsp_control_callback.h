// The interface through which dsp_control reports the result of every operation it starts; the
// panel implements it.
#pragma once

#include <quarro/types.h>

#include <string>

class dsp_control;

/// The stage a firmware_update_progress call reports (passed as int; 2 is never sent).
enum class firmware_update_stage : int
{
    download = 1, ///< total and done in bytes
    erasing = 3,  ///< flash blocks
    writing = 4   ///< flash blocks
};

/// Why a firmware update failed (passed as int).
enum class firmware_update_failure : int
{
    other = 0,
    download_or_package = 1, ///< download incomplete, checksum differs, package content missing
    speaker_link = 2,        ///< an error::dsp_error
    /// The speaker's firmware is no longer the version the update was offered for (another
    /// program changed it meanwhile): nothing was written, and the version found is the
    /// speaker's firmware version now.
    firmware_changed = 3
};

/// Receives the results of dsp_control's operations. Every call arrives on the worker thread of
/// the operation, never on the caller's thread; the device workers call while holding the
/// device lock. Each started operation ends with exactly one success or failure call (the
/// firmware update may send started and progress calls before).
///
/// An implementation records the event and returns at once. It must not start a dsp_control
/// operation nor destroy the dsp_control: starting one would wait for the calling worker itself
/// or for the device lock it holds. Debug builds stop the program when a callback tries.
/// An exception thrown from a success call turns the operation into a failure; one thrown from
/// a failure call is dropped.
class dsp_control_callback
{
public:
    virtual ~dsp_control_callback() = default;

    /// A main-settings read succeeded and the model or serial differs from the one held before
    /// (always on the first successful read).
    virtual void speaker_changed(dsp_control& control) = 0;
    /// A main-settings read succeeded for the same speaker.
    virtual void main_settings_read(dsp_control& control) = 0;
    /// A main-settings read failed (no speaker, wrong speaker, transfer error).
    virtual void main_settings_read_failed(dsp_control& control) = 0;

    /// The firmware service offers a newer version, given as its text.
    virtual void firmware_update_available(dsp_control& control, const std::string& version) = 0;
    /// The firmware service offers nothing newer.
    virtual void firmware_up_to_date(dsp_control& control) = 0;
    virtual void firmware_search_failed(dsp_control& control) = 0;

    /// A user preset was read into the current preset.
    virtual void user_preset_read(dsp_control& control) = 0;
    virtual void user_preset_read_failed(dsp_control& control) = 0;
    /// The current preset was written as a user preset.
    virtual void user_preset_written(dsp_control& control) = 0;
    virtual void user_preset_write_failed(dsp_control& control) = 0;

    /// The speaker holds the default settings now.
    virtual void device_reset(dsp_control& control) = 0;
    virtual void device_reset_failed(dsp_control& control) = 0;

    /// The held main settings were written to the speaker.
    virtual void main_settings_written(dsp_control& control) = 0;
    virtual void main_settings_write_failed(dsp_control& control) = 0;

    /// The firmware update has begun.
    virtual void firmware_update_started(dsp_control& control) = 0;
    /// `stage` is a firmware_update_stage; what total and done count depends on it.
    virtual void firmware_update_progress(dsp_control& control, int stage, quarro::u64 total,
                                          quarro::u64 done) = 0;
    /// The new firmware is installed.
    virtual void firmware_update_succeeded(dsp_control& control) = 0;
    /// `kind` is a firmware_update_failure.
    virtual void firmware_update_failed(dsp_control& control, int kind) = 0;
};
