// The speaker held across programs: every start of the panel opens a window of its own, but
// there is one bridge, and two programs that talk to it at once interleave their reports.
#pragma once

#include <quarro/types.h>

#include <atomic>
#include <string>

/// The lock file of the user's: "pellaro-speaker.lock" in $XDG_RUNTIME_DIR when that is set,
/// else "pellaro-speaker-<uid>.lock" in the temporary folder. Any thread.
std::string speaker_lock_path();

/// An exclusive advisory lock (flock) on speaker_lock_path(), held from construction to
/// destruction: one program, and one operation of it, at a time reaches the speaker. Used on a
/// worker's thread inside the dsp_control's device mutex; not copyable.
class speaker_lock
{
public:
    /// How often a wait looks again whether the other holder has let go.
    static constexpr quarro::u32 poll_interval_ms = 50;

    /// Waits until the lock is had, looking again every poll_interval_ms on quarro's clock.
    /// Throws err::runtime_error when `give_up` is found set while another holder keeps it
    /// (the panel is closing). A lock file that cannot be opened safely (not a regular file of
    /// this user, a link, no such folder) or locked at all is logged at log_level::error, each
    /// time, and the operation goes on without the lock: one window still works.
    explicit speaker_lock(const std::atomic<bool>& give_up);
    /// Lets go of the lock.
    ~speaker_lock();
    speaker_lock(const speaker_lock&) = delete;
    speaker_lock& operator=(const speaker_lock&) = delete;

    /// False when the operation goes on without the lock (see the constructor).
    bool held() const noexcept { return descriptor_ >= 0; }

private:
    int descriptor_ = -1;
};
