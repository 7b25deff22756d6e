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

// A new, empty file beside the target, opened for writing; its name goes to `temporary`.
detail::unique_descriptor create_temporary_beside(const std::string& target, std::string& temporary)
{
    const std::string folder = detail::parent_path(target);
    const std::string name = detail::last_component(target);
    for (int attempt = 0; attempt < 16; ++attempt) {
        temporary = detail::join_path(folder, "." + name + "." + quarro::random_digits() + ".tmp");
        const int descriptor =
            detail::open_descriptor(temporary, O_WRONLY | O_CREAT | O_EXCL, 0666);
        if (descriptor >= 0)
            return detail::unique_descriptor(descriptor);
        if (errno != EEXIST)
            break;
    }
    throw error::cannot_open_file(cannot_open_for_writing, target);
}

void write_in_place(const filepath& path, const memory::data& block)
{
    hdd_file destination(path, File_Write_Access);
    if (!block.empty())
        destination.write(block.bytes(), block.size(), nullptr);
}

} // namespace

void write_file(const filepath& path, const memory::data& block, write_durability durability)
{
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

    std::string temporary;
    detail::unique_descriptor descriptor = create_temporary_beside(target, temporary);
    if (exists)
        ::fchmod(descriptor.get(), existing.st_mode & 07777);
    quarro::u64 written = 0;
    int failure = detail::write_all(descriptor.get(), block.bytes(), block.size(), written);
    // Flushed before the rename, so that a crash leaves the old content or the new one.
    if (failure == 0 && durability == write_durability::flushed && ::fsync(descriptor.get()) != 0)
        failure = errno;
    if (failure == 0)
        failure = descriptor.close();
    if (failure == 0 && ::rename(temporary.c_str(), target.c_str()) != 0)
        failure = errno == ENOSPC ? ENOSPC : EIO;
    if (failure != 0) {
        ::unlink(temporary.c_str());
        detail::throw_write_error(failure);
    }
}

void append_to_file(const filepath& path, const memory::data& block)
{
    hdd_file destination(path, File_Write_Access, existing_content::keep);
    destination.seek(0, seek_from_end);
    if (!block.empty())
        destination.write(block.bytes(), block.size(), nullptr);
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
