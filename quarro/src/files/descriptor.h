// File descriptors: closed on every way out, and read or written whole despite short
// transfers and interrupted calls.
#pragma once

#include <quarro/types.h>

#include <sys/types.h>

#include <string>

namespace files::detail {

/// Owns a descriptor (-1 for none) and closes it when it dies.
class unique_descriptor
{
public:
    unique_descriptor() noexcept = default;
    explicit unique_descriptor(int descriptor) noexcept : descriptor_(descriptor) {}
    unique_descriptor(unique_descriptor&& other) noexcept;
    unique_descriptor& operator=(unique_descriptor&& other) noexcept;
    unique_descriptor(const unique_descriptor&) = delete;
    unique_descriptor& operator=(const unique_descriptor&) = delete;
    ~unique_descriptor() { reset(); }

    int get() const noexcept { return descriptor_; }
    bool is_open() const noexcept { return descriptor_ >= 0; }
    /// Closes the descriptor held (its result is not looked at) and takes the new one.
    void reset(int descriptor = -1) noexcept;
    /// Closes the descriptor held; 0, or the errno of a failing close (a write that the
    /// system had deferred can fail here).
    int close() noexcept;

private:
    int descriptor_ = -1;
};

/// open() with O_CLOEXEC added, retried when interrupted; -1 with errno set on failure.
/// New files get `mode` under the umask.
int open_descriptor(const std::string& path, int flags, mode_t mode = 0666) noexcept;

/// Writes all `size` bytes, going on after short counts and interrupted calls. Returns 0, or
/// the errno of the failure (EIO when the system wrote nothing and named no error); `written`
/// receives the bytes written either way.
int write_all(int descriptor, const quarro::u8* bytes, quarro::u64 size,
              quarro::u64& written) noexcept;

/// Reads until `size` bytes have arrived or the end of the file, going on after short counts
/// and interrupted calls. Returns 0 or the errno of the failure; `got` receives the bytes read.
int read_up_to(int descriptor, quarro::u8* bytes, quarro::u64 size, quarro::u64& got) noexcept;

/// Makes the process ignore SIGXFSZ, unless it installed a handler of its own: a process over
/// its file-size limit is killed by that signal, and ignoring it turns the write into a failure
/// with EFBIG that is reported like any other. Called before writing. Any thread.
void ignore_file_size_signal() noexcept;

/// Throws the write failure for an errno: files::error::not_enough_disk_space "cannot write
/// data to file! volume full!" for ENOSPC, files::error::cannot_write_to_file "cannot write
/// data to file!" for anything else; either carries the errno.
[[noreturn]] void throw_write_error(int error);

} // namespace files::detail
