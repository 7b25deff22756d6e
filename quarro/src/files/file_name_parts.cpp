// The file name rules of path texts.
#include <quarro/files/file_name_parts.h>

namespace files {

file_name_parts split_file_name(const std::string& path, path_separators separators)
{
    file_name_parts parts;
    const auto separator = path.find_last_of(separators == path_separators::slash ? "/" : "/\\");
    parts.file_name = separator == std::string::npos ? path : path.substr(separator + 1);
    const auto dot = parts.file_name.rfind('.');
    if (dot == std::string::npos) {
        parts.base_name = parts.file_name;
    } else {
        parts.base_name = parts.file_name.substr(0, dot);
        parts.extension = parts.file_name.substr(dot + 1);
    }
    return parts;
}

} // namespace files
