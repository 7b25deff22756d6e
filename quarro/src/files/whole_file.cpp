// Whole-file transfers; writing goes through a temporary file so that nothing is lost.
#include <quarro/files/file_error.h>
#include <quarro/files/hdd_file.h>
#include <quarro/files/whole_file.h>
#include <quarro/tools/text.h>

#include "files/descriptor.h"
#include "files/path_text.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace files {
namespace {

const char* const cannot_open_for_writing =
    "cannot open file for write access! it may be opened by another application?";

// The item a write must replace: the file a symbolic link leads to, not the link itself.
std::string final_target(const std::string& path)
{
    struct stat status
    {};
    if (::lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode))
        return path;
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

// The temporary file beside the target: removed when it dies unless it has taken the target's
// place, so that no failure leaves one behind.
class temporary_file
{
public:
    // A new, empty file in `folder`, opened for writing. Its name is short and fixed in length,
    // so that it fits wherever the target's own name fits. Empty when it can't be made; errno
    // then tells why.
    explicit temporary_file(const std::string& folder)
    {
        for (int attempt = 0; attempt < 16; ++attempt) {
            path_ = detail::join_path(folder, ".pellaro-" + quarro::random_digits() + ".tmp");
            const int descriptor =
                detail::open_descriptor(path_, O_WRONLY | O_CREAT | O_EXCL, 0666);
            if (descriptor >= 0) {
                descriptor_.reset(descriptor);
                return;
            }
            if (errno != EEXIST)
                break;
        }
        path_.clear();
    }
    temporary_file(const temporary_file&) = delete;
    temporary_file& operator=(const temporary_file&) = delete;
    ~temporary_file()
    {
        descriptor_.reset();
        if (!path_.empty())
            ::unlink(path_.c_str());
    }

    bool is_open() const { return descriptor_.is_open(); }
    int descriptor() const { return descriptor_.get(); }
    int close() { return descriptor_.close(); }

    // Moves the file over the target; 0 or the errno of the failure.
    int replace(const std::string& target)
    {
        if (::rename(path_.c_str(), target.c_str()) != 0)
            return errno;
        path_.clear();
        return 0;
    }

private:
    std::string path_;
    detail::unique_descriptor descriptor_;
};

// Writing the file itself: used where no file can be made beside it. A failure or a crash
// part way leaves the file truncated or partly written.
void write_in_place(const filepath& path, const memory::data& block)
{
    hdd_file destination(path, File_Write_Access);
    if (!block.empty())
        destination.write(block.bytes(), block.size(), nullptr);
}

// Whether this process may open the file for writing: the rename that replaces a file needs
// only the folder's permission, and must not get round the file's own.
bool may_write(const std::string& target)
{
    const int descriptor = detail::open_descriptor(target, O_WRONLY);
    if (descriptor < 0)
        return false;
    ::close(descriptor);
    return true;
}

} // namespace

void write_file(const filepath& path, const memory::data& block, write_durability durability)
{
    detail::ignore_file_size_signal();
    const std::string given = path.get_path();
    if (given.empty())
        throw error::cannot_open_file(cannot_open_for_writing, given);
    const std::string target = final_target(given);
    struct stat existing
    {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode)) {
        write_in_place(path, block);
        return;
    }
    if (exists && !may_write(target))
        throw error::cannot_open_file(cannot_open_for_writing, given);

    temporary_file temporary(detail::parent_path(target));
    if (!temporary.is_open()) {
        // A writable file in a folder that takes no new files (read-only to this user) can
        // still be written, though no longer atomically.
        if (exists) {
            write_in_place(path, block);
            return;
        }
        throw error::cannot_open_file(cannot_open_for_writing, given);
    }
    if (exists)
        ::fchmod(temporary.descriptor(), existing.st_mode & 07777);
    quarro::u64 written = 0;
    int failure = detail::write_all(temporary.descriptor(), block.bytes(), block.size(), written);
    // Flushed before the rename (unless asked not to), so that a crash leaves the old content
    // or the new one.
    if (failure == 0 && durability == write_durability::flushed &&
        ::fsync(temporary.descriptor()) != 0)
        failure = errno;
    if (failure == 0)
        failure = temporary.close();
    if (failure == 0 && temporary.replace(target) != 0)
        failure = errno == ENOSPC ? ENOSPC : EIO;
    if (failure != 0)
        detail::throw_write_error(failure);
}

void append_to_file(const filepath& path, const memory::data& block)
{
    hdd_file destination(path, File_Write_Access, existing_content::keep);
    const quarro::i64 old_size = destination.size();
    destination.seek(0, seek_from_end);
    if (block.empty())
        return;
    try {
        destination.write(block.bytes(), block.size(), nullptr);
    } catch (...) {
        // All or nothing: a log line cut in half would run into the next one. Best effort:
        // the write's own error is the one to report.
        const int ignored = ::truncate(path.get_path().c_str(), old_size);
        static_cast<void>(ignored);
        throw;
    }
}

memory::data_ptr<memory::data> read_file(file& source)
{
    const quarro::i64 size = source.size();
    if (size <= 0)
        return memory::data_ptr<memory::data>(new memory::data());
    const auto length = static_cast<quarro::u64>(size);
    auto block = memory::make_mutable_data(length + 15);
    block->resize(length);
    source.seek(0, seek_from_beginning);
    quarro::u64 got = 0;
    source.read(block->mutable_bytes(), length, &got);
    if (got != length) {
        if (block->capacity() < got)
            block->reserve(2 * got);
        block->resize(got);
    }
    return block;
}

} // namespace files
