// The file of the local disk: a POSIX descriptor on an item named by a filepath.
#pragma once

#include <quarro/files/file.h>
#include <quarro/files/filepath.h>

namespace files {

/// What opening for writing does with the content already there.
enum class existing_content
{
    truncate, ///< the file starts empty
    keep      ///< the content stays; the caller seeks where it writes
};

/// Open from construction to destruction. Every read and write goes straight to the system
/// (no buffering). Used by one thread at a time.
class hdd_file final : public file
{
public:
    /// Opens the item: File_Write_Access read-write, created when missing (mode 0666 under
    /// the umask) and emptied unless `content` is keep; File_Read_Access read-only; any other
    /// access type opens nothing. Throws files::error::cannot_open_file "cannot open file for
    /// write access! it may be opened by another application?" or "cannot open the file! it
    /// does not exist?" with the path; nothing stays open then.
    hdd_file(const filepath& path, quarro::u32 access_type,
             existing_content content = existing_content::truncate);
    /// Closes the descriptor.
    ~hdd_file() override;

    /// Origin 0 from the beginning, 1 from the position, 2 from the end. No system call when
    /// the target is the position. Throws err::exception "hdd_file::seek() FAILED! Position: "
    /// and the target.
    void seek(quarro::i64 offset, quarro::u32 origin) override;
    /// Reads until bytes_to_read bytes or the end of the file. Throws err::exception
    /// "hdd_file::read() cannot read from file!" at the end of the file or on an error; the
    /// position is then unchanged.
    quarro::u64 read(quarro::u8* destination, quarro::u64 bytes_to_read,
                     quarro::u64* bytes_read) override;
    /// Writes all bytes (needs File_Write_Access). Throws files::error::not_enough_disk_space
    /// when the volume is full, files::error::cannot_write_to_file otherwise.
    quarro::u64 write(const quarro::u8* source, quarro::u64 bytes_to_write,
                      quarro::u64* bytes_written) override;
    /// fstat's size. Throws err::exception "hdd_file::size() fstat error. cannot get the size
    /// of the file!".
    quarro::i64 size() override;
    /// A new read-access hdd_file on the same item. Only read-access files are cloned.
    memory::data_ptr<file> clone() override;

private:
    // Puts the descriptor back at the position after a failed transfer.
    void restore_position() noexcept;

    filepath path_;
    int descriptor_ = -1; // -1: no file open (0 is standard input, a valid descriptor)
};

} // namespace files
