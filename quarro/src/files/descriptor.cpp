// Whole transfers over POSIX descriptors.
#include "files/descriptor.h"

#include <quarro/files/file_error.h>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <utility>

namespace files::detail {
namespace {

// Linux moves at most this much in one call; larger requests come back short anyway.
constexpr quarro::u64 largest_transfer = 0x7FFFF000;

} // namespace

unique_descriptor::unique_descriptor(unique_descriptor&& other) noexcept
    : descriptor_(std::exchange(other.descriptor_, -1))
{}

unique_descriptor& unique_descriptor::operator=(unique_descriptor&& other) noexcept
{
    reset(std::exchange(other.descriptor_, -1));
    return *this;
}

void unique_descriptor::reset(int descriptor) noexcept
{
    if (descriptor_ >= 0)
        ::close(descriptor_);
    descriptor_ = descriptor;
}

int unique_descriptor::close() noexcept
{
    const int descriptor = std::exchange(descriptor_, -1);
    return descriptor >= 0 && ::close(descriptor) != 0 ? errno : 0;
}

void ignore_file_size_signal() noexcept
{
    struct sigaction current
    {};
    if (::sigaction(SIGXFSZ, nullptr, &current) == 0 && current.sa_handler == SIG_DFL)
        std::signal(SIGXFSZ, SIG_IGN);
}

int open_descriptor(const std::string& path, int flags, mode_t mode) noexcept
{
    for (;;) {
        const int descriptor = ::open(path.c_str(), flags | O_CLOEXEC, mode);
        if (descriptor >= 0 || errno != EINTR)
            return descriptor;
    }
}

int write_all(int descriptor, const quarro::u8* bytes, quarro::u64 size,
              quarro::u64& written) noexcept
{
    written = 0;
    while (written < size) {
        const auto request = std::min(size - written, largest_transfer);
        const ssize_t result = ::write(descriptor, bytes + written, request);
        if (result > 0) {
            written += static_cast<quarro::u64>(result);
        } else if (result < 0 && errno == EINTR) {
            continue;
        } else {
            return result < 0 ? errno : EIO;
        }
    }
    return 0;
}

int read_up_to(int descriptor, quarro::u8* bytes, quarro::u64 size, quarro::u64& got) noexcept
{
    got = 0;
    while (got < size) {
        const auto request = std::min(size - got, largest_transfer);
        const ssize_t result = ::read(descriptor, bytes + got, request);
        if (result > 0) {
            got += static_cast<quarro::u64>(result);
        } else if (result == 0) {
            break; // end of file
        } else if (errno != EINTR) {
            return errno;
        }
    }
    return 0;
}

void throw_write_error(int error)
{
    if (error == ENOSPC)
        throw error::not_enough_disk_space("cannot write data to file! volume full!", error);
    throw error::cannot_write_to_file("cannot write data to file!", error);
}

} // namespace files::detail
