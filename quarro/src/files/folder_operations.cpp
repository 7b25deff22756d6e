// Folder operations over POSIX calls and std::filesystem with error codes.
#include <quarro/files/file_error.h>
#include <quarro/files/folder_operations.h>
#include <quarro/log/logbook.h>
#include <quarro/tools/string_tokenizer.h>
#include <quarro/tools/text.h>

#include "files/descriptor.h"
#include "files/path_text.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

namespace files {
namespace {

// stat() of the child, for names that can be handed to the system as they are.
bool child_status(const filepath& folder, const std::string& name, struct stat& status) noexcept
{
    try {
        if (!folder.exists_flag_set() || name.empty() || name.find('\0') != std::string::npos ||
            !quarro::platform_string_from_string(name))
            return false;
        const std::string path = detail::join_path(resolve_file_path(folder).get_path(), name);
        return ::stat(path.c_str(), &status) == 0;
    } catch (...) {
        return false;
    }
}

// rename() that fails instead of replacing an item at `to`. Where the file system refuses
// the no-replace flag, a hard link (which never replaces either) and an unlink stand in;
// folders can't be linked, so they are not moved there.
bool move_without_replacing(const std::string& from, const std::string& to) noexcept
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    if (::link(from.c_str(), to.c_str()) != 0)
        return false;
    if (::unlink(from.c_str()) == 0)
        return true;
    ::unlink(to.c_str());
    return false;
}

filepath filepath_or_empty(const std::string& path)
{
    try {
        return filepath(path);
    } catch (const err::exception&) {
        return filepath();
    }
}

} // namespace

bool file_exists(const filepath& folder, const std::string& name) noexcept
{
    struct stat status
    {};
    return child_status(folder, name, status) && !S_ISDIR(status.st_mode);
}

bool folder_exists(const filepath& folder, const std::string& name) noexcept
{
    struct stat status
    {};
    return child_status(folder, name, status) && S_ISDIR(status.st_mode);
}

bool item_exists(const filepath& folder, const std::string& name) noexcept
{
    struct stat status
    {};
    return child_status(folder, name, status);
}

void remove_item(const filepath& item) noexcept
{
    const std::string path = item.get_path();
    if (path.empty() || path == "/")
        return;
    struct stat status
    {};
    if (::lstat(path.c_str(), &status) != 0)
        return;
    if (S_ISDIR(status.st_mode)) {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    } else {
        ::unlink(path.c_str());
    }
}

filepath create_folder(const filepath& folder, const std::string& name)
{
    const std::string base = folder.get_path();
    if (base.empty() || !detail::is_acceptable_item_name(name) ||
        !quarro::platform_string_from_string(name))
        return filepath();
    const std::string path = detail::join_path(base, name);
    std::error_code error;
    std::filesystem::create_directories(path, error);
    filepath result = filepath_or_empty(path);
    return result.is_directory() ? result : filepath();
}

filepath rename_item(const filepath& item, const std::string& new_name)
{
    const std::string from = item.get_path();
    const std::string folder = detail::parent_path(from);
    if (folder.empty() || !detail::is_acceptable_item_name(new_name))
        return filepath();
    const auto to = detail::normalise_path(detail::join_path(folder, new_name));
    if (!to || !move_without_replacing(from, *to))
        return filepath();
    return filepath_or_empty(*to);
}

filepath create_file(const filepath& folder, const std::string& name)
{
    if (!detail::is_acceptable_item_name(name))
        return filepath();
    const std::string base = folder.get_path();
    const std::string path = base.empty() ? name : detail::join_path(base, name);
    // Not blocking: a named pipe of that name would hold the caller until some reader came.
    detail::unique_descriptor descriptor(
        base.empty() ? -1 : detail::open_descriptor(path, O_WRONLY | O_CREAT | O_NONBLOCK, 0666));
    if (!descriptor.is_open())
        throw error::file_path("cannot create the file! it may be opened by another application?",
                               path, std::string(), 0);
    descriptor.reset();
    return filepath(path);
}

filepath create_file_at_path(const std::string& full_path)
{
    const auto separator = full_path.find_last_of("/\\");
    if (separator == std::string::npos || separator == 0 || separator + 1 == full_path.size())
        return filepath();
    return create_file(make_path_from_root(full_path.substr(0, separator)),
                       full_path.substr(separator + 1));
}

filepath make_path(const filepath& folder, const std::string& relative_path)
{
    try {
        std::vector<std::string> names;
        for (quarro::string_tokenizer tokens(relative_path, "/\\"); tokens.has_token();
             tokens.next()) {
            if (!detail::is_acceptable_item_name(tokens.token()))
                return filepath();
            names.push_back(tokens.token());
        }
        filepath result = folder;
        for (const std::string& name : names)
            result = get_or_create_folder(result, name);
        return result;
    } catch (const err::exception& failure) {
        quarro::logbook::instance().message(failure.what(), quarro::log_level::info,
                                            quarro::logbook::file_and_console);
        return filepath();
    } catch (...) {
        return filepath();
    }
}

filepath make_path_from_root(const std::string& relative_path)
{
    return make_path(filepath("/"), relative_path);
}

filepath get_or_create_folder(const filepath& folder, const std::string& name)
{
    if (!detail::is_acceptable_item_name(name))
        return filepath();
    if (!item_exists(folder, name))
        return create_folder(folder, name);
    filepath result = resolve_file_path(filepath(folder, name));
    if (!result.is_directory())
        throw error::folder_not_found("expected a folder but the found path refers to a file!",
                                      folder.get_path(), name);
    return result;
}

} // namespace files
