// The lock that serialises the speaker across programs: a flock on a lock file of the user's.
#include <speaker_link/device/speaker_lock.h>

#include <quarro/err/exception.h>
#include <quarro/log/logbook.h>
#include <quarro/tools/clock.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string error_text(int error)
{
    return std::error_code(error, std::generic_category()).message();
}

// The panel works without the lock, as it did with one window: say so and go on.
void log_unusable(const std::string& path, const std::string& reason) noexcept
{
    try {
        quarro::logbook::instance().message(
            "The speaker's lock file " + path + " cannot be used (" + reason +
                "): other programs using the speaker are not waited for",
            quarro::log_level::error, quarro::logbook::file_and_console);
    } catch (...) {
    }
}

// The temporary folder is shared by every user: a link or another user's file put there in
// our name is refused rather than followed or locked.
int open_lock_file(const std::string& path, std::string& reason)
{
    const int descriptor =
        ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, S_IRUSR | S_IWUSR);
    if (descriptor < 0) {
        reason = error_text(errno);
        return -1;
    }
    struct stat status
    {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode) ||
        status.st_uid != ::geteuid()) {
        ::close(descriptor);
        reason = "not a regular file of this user";
        return -1;
    }
    return descriptor;
}

} // namespace

std::string speaker_lock_path()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && *runtime != '\0')
        return std::string(runtime) + "/pellaro-speaker.lock";
    std::error_code error;
    std::string folder = std::filesystem::temp_directory_path(error).string();
    if (error || folder.empty())
        folder = "/tmp";
    if (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder + "/pellaro-speaker-" + std::to_string(::geteuid()) + ".lock";
}

bool speaker_turns::waiting() const
{
    const std::lock_guard<std::mutex> lock(mutex_);
    return waiting_ > 0;
}

bool speaker_turns::give_up_unless_held()
{
    const std::lock_guard<std::mutex> lock(mutex_);
    if (holding_ > 0)
        return false;
    given_up_ = true;
    return true;
}

void speaker_turns::give_up()
{
    const std::lock_guard<std::mutex> lock(mutex_);
    given_up_ = true;
}

int speaker_turns::wait_for_lock(int& descriptor, const std::string& holder)
{
    bool counted_waiting = false;
    // Counted while it lasts, and given up only while the lock is not had.
    const auto stop_counting = [this, &counted_waiting] {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (counted_waiting)
            --waiting_;
        counted_waiting = false;
    };
    const auto close_descriptor = [&descriptor] {
        ::close(descriptor);
        descriptor = -1;
    };
    // A blocking flock could not be given up when the panel closes: poll instead.
    for (;;) {
        if (::flock(descriptor, LOCK_EX | LOCK_NB) == 0)
            break;
        const int error = errno;
        if (error == EINTR)
            continue;
        if (error != EWOULDBLOCK) {
            stop_counting();
            close_descriptor();
            return error;
        }
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            if (!counted_waiting)
                ++waiting_;
            counted_waiting = true;
            if (given_up_) {
                --waiting_;
                close_descriptor();
                throw err::runtime_error(holder +
                                         "; the wait for it was given up as the panel closes");
            }
        }
        quarro::clock::sleep_ms(speaker_lock::poll_interval_ms);
    }
    stop_counting();
    return 0;
}

speaker_lock::speaker_lock(speaker_turns& turns) : turns_(turns)
{
    const std::string path = speaker_lock_path();
    std::string reason;
    int descriptor = open_lock_file(path, reason);
    if (descriptor < 0)
        log_unusable(path, reason);
    if (descriptor >= 0) {
        if (const int error =
                turns.wait_for_lock(descriptor, "Another program is using the speaker"))
            log_unusable(path, error_text(error));
    }
    {
        // Had and given up are decided at once: a closing program that found nothing held
        // must never see an operation begin on the speaker afterwards.
        const std::lock_guard<std::mutex> lock(turns.mutex_);
        if (!turns.given_up_) {
            ++turns.holding_;
            descriptor_ = descriptor;
            return;
        }
    }
    if (descriptor >= 0)
        ::close(descriptor);
    throw err::runtime_error("The panel closes: the speaker was not used");
}

speaker_lock::~speaker_lock()
{
    if (descriptor_ >= 0)
        ::close(descriptor_);
    const std::lock_guard<std::mutex> lock(turns_.mutex_);
    --turns_.holding_;
}
