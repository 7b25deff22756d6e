// Testing, creating, renaming and removing the items of a folder, and making chains of
// sub folders.
#pragma once

#include <quarro/files/filepath.h>

#include <string>

namespace files {

/// Whether the folder holds an item of that name that is a file (file_exists), a folder
/// (folder_exists) or either (item_exists). False for the empty filepath and for names that
/// are empty, hold a NUL or are not UTF-8. Never throws; any thread.
bool file_exists(const filepath& folder, const std::string& name) noexcept;
bool folder_exists(const filepath& folder, const std::string& name) noexcept;
bool item_exists(const filepath& folder, const std::string& name) noexcept;

/// Removes the item: a folder with everything in it, a file alone. Failures are not
/// reported; the empty filepath and "/" remove nothing. Any thread.
void remove_item(const filepath& item) noexcept;

/// The folder `name` below `folder`, made with any missing intermediate folders (mode 0777
/// under the umask); an existing folder is fine. The empty filepath when it can't be made,
/// when `folder` is empty or when the name is refused (empty, ".", "..", a NUL, or a "."
/// or ".." component), so nothing is made outside `folder`. Any thread.
filepath create_folder(const filepath& folder, const std::string& name);

/// Gives the item the new name in its folder, never replacing an item already there. The
/// renamed item's filepath; the empty filepath on failure or for a refused name.
filepath rename_item(const filepath& item, const std::string& new_name);

/// The file `name` in `folder`, created when missing (mode 0666 under the umask). An existing
/// file keeps its content: write_file replaces it whole afterwards, so a save that fails
/// loses nothing. The empty filepath for a refused name; throws files::error::file_path
/// "cannot create the file! it may be opened by another application?" with the path when
/// the file can't be made (also when `folder` is the empty filepath).
filepath create_file(const filepath& folder, const std::string& name);

/// create_file for a full path text split at its last '/' or '\': the folders of the
/// folder part are made from the root; the empty filepath when either part is empty.
filepath create_file_at_path(const std::string& full_path);

/// The folder reached from `folder` through the components of `relative_path` (separated by
/// '/' or '\', empty components skipped), each got or made with get_or_create_folder. The
/// empty filepath when a component is refused (nothing is made then) or can't be made; an
/// err::exception on the way is logged at log_level::info to the file and console.
filepath make_path(const filepath& folder, const std::string& relative_path);

/// make_path from "/".
filepath make_path_from_root(const std::string& relative_path);

/// The folder `name` in `folder`: the existing one, or a new one from create_folder. The
/// empty filepath for a refused name or when it can't be made. Throws
/// files::error::folder_not_found "expected a folder but the found path refers to a file!"
/// with the folder's path and the name when a file has that name.
filepath get_or_create_folder(const filepath& folder, const std::string& name);

} // namespace files
