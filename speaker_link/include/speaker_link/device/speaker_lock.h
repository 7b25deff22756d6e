// The speaker held across programs: every start of the panel opens a window of its own, but
// there is one bridge, and two programs that talk to it at once interleave their reports.
#pragma once

#include <quarro/types.h>

#include <mutex>
#include <string>

/// The lock file of the user's: "pellaro-speaker.lock" in $XDG_RUNTIME_DIR when that is set,
/// else "pellaro-speaker-<uid>.lock" in the temporary folder. Any thread.
std::string speaker_lock_path();

/// One program's turns on the speaker, shared by the speaker_locks of its operations: whether
/// one of them waits for another program, whether one holds the speaker, and whether waiting
/// has been given up. Waiting is not talking to the speaker, so a program that closes may give
/// a wait up; a hold it must let run to its end. Any thread.
class speaker_turns
{
public:
    speaker_turns() = default;
    speaker_turns(const speaker_turns&) = delete;
    speaker_turns& operator=(const speaker_turns&) = delete;

    /// True while an operation waits for another program to let go of the speaker.
    bool waiting() const;
    /// Unless an operation holds the speaker: every wait for it, now and later, is given up
    /// (see speaker_lock) and the result is true. While one holds it: false, nothing changed.
    bool give_up_unless_held();
    /// Every wait, now and later, is given up; an operation that holds the speaker goes on.
    void give_up();

    /// Waits for an exclusive flock on the open `descriptor`, looking again every
    /// speaker_lock::poll_interval_ms on quarro's clock and counted as a wait meanwhile.
    /// Returns 0 once the lock is had. When it is not had, `descriptor` is closed and set to
    /// -1: the result is the errno of a flock that failed for another reason than another
    /// holder, or err::runtime_error is thrown once waiting has been given up, its text
    /// `holder` (who has the lock, in a user's words) followed by "; the wait for it was given
    /// up as the panel closes". Having the lock is not holding the speaker: speaker_lock
    /// counts that.
    int wait_for_lock(int& descriptor, const std::string& holder);

private:
    friend class speaker_lock;

    mutable std::mutex mutex_;
    quarro::u32 waiting_ = 0;
    quarro::u32 holding_ = 0;
    bool given_up_ = false;
};

/// An exclusive advisory lock (flock) on speaker_lock_path(), held from construction to
/// destruction: one program, and one operation of it, at a time reaches the speaker. Used on a
/// worker's thread inside the dsp_control's device mutex; not copyable. The lock file is not
/// handed to programs started meanwhile.
class speaker_lock
{
public:
    /// How often a wait looks again whether the other holder has let go.
    static constexpr quarro::u32 poll_interval_ms = 50;

    /// Waits until the lock is had, looking again every poll_interval_ms on quarro's clock,
    /// and counts as `turns`'s hold from then on. Throws err::runtime_error, holding nothing,
    /// once `turns` has given waiting up: while another program keeps the lock, and also when
    /// it is free (the program is closing). A lock file that cannot be opened safely (not a
    /// regular file of this user, a link, no such folder) or locked at all is logged at
    /// log_level::error, each time, and the operation goes on without the lock: one window
    /// still works. `turns` must outlive the lock.
    explicit speaker_lock(speaker_turns& turns);
    /// Lets go of the lock.
    ~speaker_lock();
    speaker_lock(const speaker_lock&) = delete;
    speaker_lock& operator=(const speaker_lock&) = delete;

    /// False when the operation goes on without the lock (see the constructor).
    bool held() const noexcept { return descriptor_ >= 0; }

private:
    speaker_turns& turns_;
    int descriptor_ = -1;
};
