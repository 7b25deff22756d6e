// Splitting a path text into file name, base name and extension.
#pragma once

#include <string>

namespace files {

struct file_name_parts
{
    std::string file_name; ///< the text after the last separator
    std::string base_name; ///< the file name before its last '.'
    std::string extension; ///< the text after that '.'; empty without one
};

/// The characters that end a folder's name in a path text.
enum class path_separators
{
    slash_and_backslash, ///< '/' and '\': path texts that may come from any system
    slash,               ///< '/' only: a path of this system, where '\' is part of a name
};

/// Splits the text; "a/b.c.txt" gives "b.c.txt", "b.c" and "txt", and "a\b.xml" gives "b.xml",
/// "b" and "xml", or with `separators` slash "a\b.xml", "a\b" and "xml". Any thread.
file_name_parts split_file_name(const std::string& path,
                                path_separators separators = path_separators::slash_and_backslash);

} // namespace files
