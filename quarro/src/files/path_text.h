// Path texts: normalising, joining and the names that may be made below a folder.
#pragma once

#include <optional>
#include <string>

namespace files::detail {

/// The absolute, normalised form of a path text: relative texts are taken from the working
/// folder, empty and "." components are dropped and ".." removes the component before it
/// (never above "/"). Nothing when the working folder can't be read. Any thread.
std::optional<std::string> normalise_path(const std::string& text);

/// The folder's path with the name appended after one '/'.
std::string join_path(const std::string& folder, const std::string& name);

/// The last component of a normalised path; "/" for the root.
std::string last_component(const std::string& path);

/// The normalised path without its last component; empty for the root.
std::string parent_path(const std::string& path);

/// False for names that could make an item outside the folder asked for, or a different item
/// than named: empty, holding a NUL, or with a "." or ".." component. Names come from the
/// network (the firmware version text names a folder), so this is checked before anything
/// is made.
bool is_acceptable_item_name(const std::string& name);

} // namespace files::detail
