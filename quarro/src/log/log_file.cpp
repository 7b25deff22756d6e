// Exclusive creation of log files.
#include "log/log_file.h"

#include <quarro/files/file_error.h>
#include <quarro/log/log_data.h>

#include "files/descriptor.h"
#include "files/path_text.h"

#include <fcntl.h>

#include <cerrno>

namespace quarro::detail {

files::filepath create_log_file(const files::filepath& folder, const date_time& now,
                                const std::function<std::string()>& digits)
{
    constexpr int attempts = 16;
    std::string path;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        path = files::detail::join_path(folder.get_path(), make_log_file_name(now, digits()));
        files::detail::unique_descriptor descriptor(
            files::detail::open_descriptor(path, O_WRONLY | O_CREAT | O_EXCL, 0666));
        if (descriptor.is_open()) {
            descriptor.reset();
            return files::filepath(path);
        }
        if (errno != EEXIST)
            break;
    }
    throw files::error::file_path(
        "cannot create the file! it may be opened by another application?", path, std::string(), 0);
}

} // namespace quarro::detail
