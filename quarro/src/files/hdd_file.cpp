// The disk file over POSIX descriptors.
#include <quarro/err/exception.h>
#include <quarro/files/file_error.h>
#include <quarro/files/hdd_file.h>
#include <quarro/tools/number_text.h>

#include "files/descriptor.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cassert>

namespace files {
namespace {

[[noreturn]] void throw_seek_failure(const std::string& position)
{
    throw err::exception("hdd_file::seek() FAILED! Position: " + position);
}

} // namespace

hdd_file::hdd_file(const filepath& path, quarro::u32 access_type, existing_content content)
    : file(access_type), path_(path)
{
    const std::string text = path_.get_path();
    if (access_type == File_Write_Access) {
        detail::ignore_file_size_signal();
        const int flags = O_RDWR | O_CREAT | (content == existing_content::keep ? 0 : O_TRUNC);
        descriptor_ = detail::open_descriptor(text, flags);
        if (descriptor_ < 0)
            throw error::cannot_open_file(
                "cannot open file for write access! it may be opened by another application?",
                text);
        seek(0, seek_from_beginning);
    } else if (access_type == File_Read_Access) {
        descriptor_ = detail::open_descriptor(text, O_RDONLY);
        if (descriptor_ < 0)
            throw error::cannot_open_file("cannot open the file! it does not exist?", text);
    }
}

hdd_file::~hdd_file()
{
    if (descriptor_ >= 0)
        ::close(descriptor_);
}

void hdd_file::seek(quarro::i64 offset, quarro::u32 origin)
{
    quarro::i64 base = 0;
    if (origin == seek_from_current)
        base = static_cast<quarro::i64>(position_);
    else if (origin == seek_from_end)
        base = size();
    quarro::i64 target = 0;
    if (__builtin_add_overflow(offset, base, &target)) {
        // Only a sum beyond the largest offset can overflow (the base is never negative).
        std::string position;
        quarro::append_unsigned(
            position, static_cast<quarro::u64>(offset) + static_cast<quarro::u64>(base), 1);
        throw_seek_failure(position);
    }
    if (target == static_cast<quarro::i64>(position_))
        return;
    const off_t result = target < 0 ? -1 : ::lseek(descriptor_, target, SEEK_SET);
    if (result < 0) {
        std::string position;
        quarro::append_number(position, target, 1);
        throw_seek_failure(position);
    }
    position_ = static_cast<quarro::u64>(result);
}

quarro::u64 hdd_file::read(quarro::u8* destination, quarro::u64 bytes_to_read,
                           quarro::u64* bytes_read)
{
    assert(destination != nullptr && "_pDestination != 0");
    assert(bytes_to_read != 0 && "_dwBytesToRead != 0");
    quarro::u64 got = 0;
    const int failure = detail::read_up_to(descriptor_, destination, bytes_to_read, got);
    if (failure != 0 || got == 0) {
        restore_position();
        throw err::exception("hdd_file::read() cannot read from file!");
    }
    position_ += got;
    if (bytes_read != nullptr)
        *bytes_read = got;
    return got;
}

quarro::u64 hdd_file::write(const quarro::u8* source, quarro::u64 bytes_to_write,
                            quarro::u64* bytes_written)
{
    assert(source != nullptr && "_pSource != 0");
    assert(bytes_to_write != 0 && "_dwBytesToWrite != 0");
    assert(get_access_type() == File_Write_Access && "get_access_type() == File_Write_Access");
    quarro::u64 written = 0;
    const int failure = detail::write_all(descriptor_, source, bytes_to_write, written);
    if (failure != 0) {
        restore_position();
        detail::throw_write_error(failure);
    }
    position_ += written;
    if (bytes_written != nullptr)
        *bytes_written = written;
    return written;
}

quarro::i64 hdd_file::size()
{
    struct stat status
    {};
    if (::fstat(descriptor_, &status) != 0)
        throw err::exception("hdd_file::size() fstat error. cannot get the size of the file!");
    return static_cast<quarro::i64>(status.st_size);
}

memory::data_ptr<file> hdd_file::clone()
{
    assert(get_access_type() == File_Read_Access && "get_access_type() == File_Read_Access");
    return memory::data_ptr<file>(new hdd_file(path_, File_Read_Access));
}

void hdd_file::restore_position() noexcept
{
    // Best effort: a pipe can't seek, and then there is nothing to put back.
    ::lseek(descriptor_, static_cast<off_t>(position_), SEEK_SET);
}

} // namespace files
