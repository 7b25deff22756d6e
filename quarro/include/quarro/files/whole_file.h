// Reading a whole file into a data block, and writing a whole block to a file.
#pragma once

#include <quarro/files/file.h>
#include <quarro/files/filepath.h>
#include <quarro/memory/data.h>
#include <quarro/memory/data_ptr.h>

namespace files {

/// Whether write_file waits until the new content is on the disk before it takes the old one's
/// place. Either way a reader sees the old content or the new, never a mix.
enum class write_durability
{
    flushed,  ///< survives a crash of the machine
    unflushed ///< for small state rewritten often, where losing the last write is harmless
};

/// Replaces the file's content by the block, atomically: the block goes to a new file in the
/// same folder, which then takes the old one's place, so a failed write leaves the previous
/// content as it was (an empty block gives an empty file). A file that is missing is created
/// (mode 0666 under the umask); an existing one keeps its mode. Items that are not regular
/// files (devices, pipes) are written in place. Throws files::error::cannot_open_file when
/// the file can't be made, files::error::not_enough_disk_space when the volume is full and
/// files::error::cannot_write_to_file for any other failure. Any thread.
void write_file(const filepath& path, const memory::data& block,
                write_durability durability = write_durability::flushed);

/// Appends the block at the end of the file, creating it when it is missing. Throws as
/// hdd_file's constructor and write do. Any thread.
void append_to_file(const filepath& path, const memory::data& block);

/// The whole file in a new block held by one reference: a plain empty block for an empty
/// file, otherwise a growable block with 15 spare bytes. Throws what the file throws.
/// The thread that uses the file.
memory::data_ptr<memory::data> read_file(file& source);

} // namespace files
