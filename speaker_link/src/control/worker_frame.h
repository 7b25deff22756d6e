// The frame every dsp_control worker runs in: the device lock, the one report of its outcome,
// and the guarantee that no exception leaves the worker's thread.
#pragma once

#include <speaker_link/device/speaker_lock.h>

#include <quarro/err/exception.h>
#include <quarro/types.h>

#include <mutex>
#include <optional>

/// Marks the calling thread as a worker's for the scope's life, so that an operation started
/// from a callback can be caught.
class worker_scope
{
public:
    worker_scope() noexcept;
    ~worker_scope();
    worker_scope(const worker_scope&) = delete;
    worker_scope& operator=(const worker_scope&) = delete;

private:
    bool outer_;
};

/// True on a thread that is running a worker. Any thread.
bool is_inside_worker() noexcept;

/// Writes the error text to the log's file and console targets; a log that fails is
/// ignored, since the failure call still has to be made. Never throws.
void log_failure(const err::exception& error, quarro::u32 log_level) noexcept;

/// The speaker held by a worker for its whole run: the object's device mutex first, then the
/// speaker across programs; let go in the reverse order. Once `turns` has given waiting up, the
/// speaker is not taken: err::runtime_error, with the mutex let go again.
class device_hold
{
public:
    device_hold(std::mutex& device_mutex, speaker_turns& turns)
        : mutex_lock_(device_mutex), speaker_(turns)
    {}

private:
    std::unique_lock<std::mutex> mutex_lock_;
    speaker_lock speaker_;
};

/// Runs `steps`, which end with the success call, holding the speaker (device_hold of
/// `device_mutex` and `turns`, when the mutex is not null) until the outcome has been
/// reported. When anything in them throws, an err::exception's text is logged at `log_level`
/// and `failed` is called; other exceptions call `failed` unlogged. What `failed` throws is
/// dropped: there is nobody left to report it to.
template <class Steps, class Failed>
void run_worker(std::mutex* device_mutex, speaker_turns& turns, quarro::u32 log_level,
                Steps&& steps, Failed&& failed) noexcept
{
    const worker_scope scope;
    std::optional<device_hold> hold;
    try {
        if (device_mutex != nullptr)
            hold.emplace(*device_mutex, turns);
        steps();
        return;
    } catch (const err::exception& error) {
        log_failure(error, log_level);
    } catch (...) {
    }
    try {
        failed();
    } catch (...) {
    }
}
