// The abstract, reference-counted byte stream through which the system reads and writes files.
#pragma once

#include <quarro/memory/data_ptr.h>
#include <quarro/memory/reference_counter.h>
#include <quarro/types.h>

namespace files {

/// Access types of a file.
constexpr quarro::u32 File_Read_Access = 1;
constexpr quarro::u32 File_Write_Access = 2;

/// Seek origins; any other value counts as from the beginning.
constexpr quarro::u32 seek_from_beginning = 0;
constexpr quarro::u32 seek_from_current = 1;
constexpr quarro::u32 seek_from_end = 2;

/// A byte stream with its own position. Used by one thread at a time; shared through
/// memory::data_ptr, and must not die while references remain.
class file : public memory::reference_counter
{
public:
    explicit file(quarro::u32 access_type) noexcept : access_type_(access_type) {}
    file(const file&) = delete;
    file& operator=(const file&) = delete;
    virtual ~file() = default;

    /// Moves the position to offset from the origin. Throws err::exception on failure.
    virtual void seek(quarro::i64 offset, quarro::u32 origin) = 0;
    /// Reads up to bytes_to_read bytes at the position, fewer only at the end of the file;
    /// stores and returns the count. Throws err::exception when nothing can be read.
    virtual quarro::u64 read(quarro::u8* destination, quarro::u64 bytes_to_read,
                             quarro::u64* bytes_read) = 0;
    /// Writes all bytes at the position; stores and returns the count. Throws a files::error
    /// when they can't all be written; the position is then unchanged.
    virtual quarro::u64 write(const quarro::u8* source, quarro::u64 bytes_to_write,
                              quarro::u64* bytes_written) = 0;
    /// The size in bytes. Throws err::exception on failure.
    virtual quarro::i64 size() = 0;
    /// A new file on the same item, opened anew for reading at position 0, held by one
    /// reference. Only read-access files are cloned.
    virtual memory::data_ptr<file> clone() = 0;

    quarro::u32 get_access_type() const noexcept { return access_type_; }
    quarro::u64 get_position() const noexcept { return position_; }

protected:
    quarro::u64 position_ = 0;

private:
    quarro::u32 access_type_;
};

} // namespace files
