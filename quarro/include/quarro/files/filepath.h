// The handle on a file or folder of the local file system: its absolute path, its name and
// a few facts read from the item when the handle was built.
#pragma once

#include <quarro/types.h>

#include <string>

namespace files {

/// A file or folder that existed when the filepath was built. The empty filepath (no path,
/// flags 0) is how the folder operations report failure; callers test exists_flag.
/// A value: copied and swapped freely; not shared between threads without a copy.
class filepath
{
public:
    static constexpr quarro::u32 exists_flag = 1;    ///< the item was there when last read
    static constexpr quarro::u32 directory_flag = 2; ///< the item is a folder
    static constexpr quarro::u32 hidden_flag = 4;    ///< the name begins with '.'

    /// The empty filepath.
    filepath() noexcept = default;

    /// The item at a path text (relative texts are taken from the working folder; "." and
    /// ".." are resolved in the text). Throws files::error::file_not_found "this file path
    /// does not exist!" for a text that is empty or not UTF-8, and files::error::file_path
    /// (from update_file_info) for a missing item. Any thread.
    explicit filepath(const std::string& path);

    /// The item at `sub_path` (components separated by '/', leading and trailing '/'
    /// ignored) below `parent`; every intermediate component must name an existing folder.
    /// Throws files::error::folder_not_found "filepath::filepath() the parent filepath
    /// doesn't exist!" when the parent (or an intermediate folder) is missing,
    /// files::error::file_not_found for a component that is not UTF-8 and
    /// files::error::file_path for a missing item. An empty sub path copies the parent.
    filepath(const filepath& parent, const std::string& sub_path);

    filepath(const filepath&) = default;
    filepath(filepath&&) noexcept = default;
    filepath& operator=(const filepath&) = default;
    filepath& operator=(filepath&&) noexcept = default;

    void swap(filepath& other) noexcept;

    /// Reads the item's facts again: clears the flags, then sets them from stat(). Throws
    /// files::error::file_path (the system's error text, then " filepath::update_file_info()
    /// call to CFURLCopyResourcePropertyForKey failed!", the name) when the item is missing,
    /// leaving the flags clear.
    void update_file_info();

    /// Finder aliases do not exist here: always false.
    bool is_alias() const noexcept { return false; }

    /// True when the exists flag is set and the item is still there now.
    bool exists() const noexcept;

    /// The absolute path; empty when the exists flag is clear.
    std::string get_path() const;

    /// The folder holding the item; the empty filepath for "/" (the only volume root here)
    /// and for the empty filepath. Throws like the path constructor when the folder has gone.
    filepath get_parent() const;

    /// The last path component ("/" for the root).
    const std::string& get_name() const noexcept { return name_; }
    quarro::u32 get_flags() const noexcept { return flags_; }
    bool exists_flag_set() const noexcept { return (flags_ & exists_flag) != 0; }
    bool is_directory() const noexcept { return (flags_ & directory_flag) != 0; }

private:
    std::string path_;
    std::string name_;
    quarro::u32 flags_ = 0;
};

/// Aliases do not exist here: a copy of the filepath. Never throws.
filepath resolve_file_path(const filepath& path);

/// True when the path text names an existing item; never throws.
bool path_exists(const std::string& path);

} // namespace files
