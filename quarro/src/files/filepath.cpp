// The file path over stat() and normalised path texts.
#include <quarro/files/file_error.h>
#include <quarro/files/filepath.h>
#include <quarro/tools/text.h>

#include "files/path_text.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace files {
namespace {

const char* const does_not_exist = "this file path does not exist!";

// UTF-8 without a NUL, which would cut the text short at the system call.
bool is_platform_text(const std::string& text)
{
    return text.find('\0') == std::string::npos && quarro::platform_string_from_string(text);
}

[[noreturn]] void throw_parent_missing()
{
    throw error::folder_not_found("filepath::filepath() the parent filepath doesn't exist!",
                                  std::string(), std::string());
}

// Several components, walked one at a time (a path may hold thousands): each but the last
// must be an existing folder; a trailing '/' is ignored.
filepath below(const filepath& parent, const std::string& sub_path)
{
    filepath base = parent;
    std::string::size_type start = 0;
    for (;;) {
        const auto first = sub_path.find_first_not_of('/', start);
        const auto slash = sub_path.find('/', first);
        if (slash == std::string::npos)
            return filepath(base, sub_path.substr(start)); // one component: no deeper call
        const std::string name = sub_path.substr(first, slash - first);
        if (sub_path.find_first_not_of('/', slash) == std::string::npos)
            return filepath(resolve_file_path(base), name);
        filepath next;
        try {
            next = filepath(resolve_file_path(base), name);
        } catch (const error::file&) {
        }
        if (!next.is_directory())
            throw_parent_missing();
        base.swap(next);
        start = slash + 1;
    }
}

} // namespace

filepath::filepath(const std::string& path)
{
    const auto normalised =
        !path.empty() && is_platform_text(path) ? detail::normalise_path(path) : std::nullopt;
    if (!normalised)
        throw error::file_not_found(does_not_exist, path, std::string());
    path_ = *normalised;
    update_file_info();
}

filepath::filepath(const filepath& parent, const std::string& sub_path) : name_(sub_path)
{
    if (!parent.exists_flag_set())
        throw_parent_missing();
    const auto first = sub_path.find_first_not_of('/');
    if (sub_path.empty() || first == std::string::npos) {
        *this = parent;
        return;
    }
    if (sub_path.find('/', first) != std::string::npos) {
        *this = below(parent, sub_path);
        return;
    }
    const filepath base = resolve_file_path(parent);
    if (base.path_.empty())
        throw error::file_not_found("filepath() parent doesn't exist!", parent.get_path(),
                                    sub_path);
    if (!is_platform_text(sub_path))
        throw error::file_not_found("filepath() no sub file name given!", parent.get_path(),
                                    sub_path);
    const auto normalised = detail::normalise_path(detail::join_path(base.path_, sub_path));
    if (!normalised)
        throw error::file_not_found(does_not_exist, parent.get_path(), sub_path);
    path_ = *normalised;
    update_file_info();
}

void filepath::swap(filepath& other) noexcept
{
    path_.swap(other.path_);
    name_.swap(other.name_);
    std::swap(flags_, other.flags_);
}

void filepath::update_file_info()
{
    flags_ = 0;
    if (path_.empty())
        return; // the empty filepath stays empty
    struct stat status
    {};
    if (stat(path_.c_str(), &status) != 0) {
        const std::string description = std::strerror(errno);
        throw error::file_path(description + " filepath::update_file_info() call to "
                                             "CFURLCopyResourcePropertyForKey failed!",
                               std::string(), name_, 0);
    }
    if (S_ISDIR(status.st_mode))
        flags_ |= directory_flag;
    name_ = detail::last_component(path_);
    if (!name_.empty() && name_.front() == '.')
        flags_ |= hidden_flag;
    flags_ |= exists_flag;
}

bool filepath::exists() const noexcept
{
    struct stat status
    {};
    return exists_flag_set() && stat(path_.c_str(), &status) == 0;
}

std::string filepath::get_path() const
{
    return exists_flag_set() ? path_ : std::string();
}

filepath filepath::get_parent() const
{
    const std::string parent = detail::parent_path(get_path());
    return parent.empty() ? filepath() : filepath(parent);
}

filepath resolve_file_path(const filepath& path)
{
    return path;
}

bool path_exists(const std::string& path)
{
    try {
        return resolve_file_path(filepath(path)).exists_flag_set();
    } catch (...) {
        return false;
    }
}

} // namespace files
