// A file of the flash's erases and page programs, one line each, that other processes read: an
// end-to-end test counts what the speaker was asked to change by every program on it.
#pragma once

#include <emulated_speaker/speaker.h>

#include <string>

namespace emulated_speaker {

/// Appends to one file; not copyable. Every program on a shared flash file may append to the
/// same one: each line is one write to a file opened for appending, so lines never mix.
class change_log
{
public:
    /// Opens `path` for appending, made when missing. Throws std::runtime_error when it cannot.
    explicit change_log(const std::string& path);
    ~change_log();
    change_log(const change_log&) = delete;
    change_log& operator=(const change_log&) = delete;

    /// Appends a line for a block erase or a page program, whatever became of it ("block erase
    /// 0x010000 executed", "page program 0x010000 32 executed"); other commands change nothing
    /// and are passed over. A line that cannot be written is dropped.
    void record(const flash_command& command);

private:
    int descriptor_;
};

} // namespace emulated_speaker
