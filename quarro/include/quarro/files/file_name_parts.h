// Splitting a path text into file name, base name and extension.
#pragma once

#include <string>

namespace files {

struct file_name_parts
{
    std::string file_name; ///< the text after the last '/' or '\'
    std::string base_name; ///< the file name before its last '.'
    std::string extension; ///< the text after that '.'; empty without one
};

/// Splits the text; "a/b.c.txt" gives "b.c.txt", "b.c" and "txt". Any thread.
file_name_parts split_file_name(const std::string& path);

} // namespace files
