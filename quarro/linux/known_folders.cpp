// The documents folder from the XDG user folders, the resources folder from /proc/self/exe.
#include <quarro/desktop/known_folders.h>
#include <quarro/err/exception.h>

#include "files/descriptor.h"
#include "files/path_text.h"
#include "resources_folder.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <system_error>
#include <vector>

namespace {

// user-dirs.dirs is a few lines; a larger file is read no further than this.
constexpr quarro::u64 user_dirs_read_limit = 64 * 1024;

std::string home_folder()
{
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/')
        return home;
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    int result = 0;
    while ((result = getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found)) ==
               ERANGE &&
           buffer.size() < 1024 * 1024)
        buffer.resize(buffer.size() * 2);
    if (result != 0 || found == nullptr || found->pw_dir == nullptr || found->pw_dir[0] != '/')
        return std::string();
    return found->pw_dir;
}

std::string read_bounded(const std::string& path)
{
    files::detail::unique_descriptor descriptor(files::detail::open_descriptor(path, O_RDONLY));
    if (!descriptor.is_open())
        return std::string();
    std::string text(user_dirs_read_limit, '\0');
    quarro::u64 got = 0;
    files::detail::read_up_to(descriptor.get(), reinterpret_cast<quarro::u8*>(text.data()),
                              text.size(), got);
    text.resize(got);
    return text;
}

// The value of a line `XDG_DOCUMENTS_DIR="..."`, shell quoting undone; nothing for others.
std::optional<std::string> documents_value(const std::string& line)
{
    static const std::string key = "XDG_DOCUMENTS_DIR";
    auto at = line.find_first_not_of(" \t");
    if (at == std::string::npos || line.compare(at, key.size(), key) != 0)
        return std::nullopt;
    at = line.find_first_not_of(" \t", at + key.size());
    if (at == std::string::npos || line[at] != '=')
        return std::nullopt;
    at = line.find_first_not_of(" \t", at + 1);
    if (at == std::string::npos || line[at] != '"')
        return std::nullopt;
    std::string value;
    for (++at; at < line.size(); ++at) {
        if (line[at] == '"')
            return value;
        if (line[at] == '\\' && at + 1 < line.size())
            ++at;
        value += line[at];
    }
    return std::nullopt; // no closing quote
}

// XDG_DOCUMENTS_DIR from user-dirs.dirs: "$HOME/..." below the home folder, or an absolute
// path; the last valid line counts, as when the shell reads the file.
std::optional<std::string> documents_from_user_dirs(const std::string& home)
{
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const std::string folder =
        config != nullptr && config[0] == '/' ? std::string(config) : home + "/.config";
    const std::string text = read_bounded(folder + "/user-dirs.dirs");
    std::optional<std::string> documents;
    std::string::size_type start = 0;
    while (start < text.size()) {
        auto end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const auto value = documents_value(text.substr(start, end - start));
        start = end + 1;
        if (!value)
            continue;
        if (*value == "$HOME")
            documents = home;
        else if (value->compare(0, 6, "$HOME/") == 0)
            documents = home + value->substr(5);
        else if (!value->empty() && value->front() == '/')
            documents = *value;
    }
    return documents;
}

} // namespace

namespace quarro {

files::filepath get_user_documents_path()
{
    const char* const failure = "get_user_documents_path() cannot get the documents path!";
    const std::string home = home_folder();
    if (home.empty())
        throw err::runtime_error(failure);
    const std::string documents = documents_from_user_dirs(home).value_or(home + "/Documents");
    std::error_code ignored;
    std::filesystem::create_directories(documents, ignored);
    try {
        files::filepath result(documents);
        if (result.is_directory())
            return result;
    } catch (const err::exception&) {
    }
    throw err::runtime_error(failure);
}

} // namespace quarro

namespace files {
namespace detail {

std::string resources_folder_for(const std::string& executable_path)
{
    const std::string folder = parent_path(executable_path);
    if (folder.empty())
        return std::string();
    struct stat status
    {};
    for (const std::string& candidate : {folder + "/../share/pellaro", folder + "/resources"}) {
        const auto path = normalise_path(candidate);
        if (path && ::stat(path->c_str(), &status) == 0 && S_ISDIR(status.st_mode))
            return *path;
    }
    return std::string();
}

} // namespace detail

filepath get_resources_path() noexcept
{
    try {
        std::vector<char> buffer(4096);
        for (;;) {
            const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
            if (length < 0)
                return filepath();
            if (static_cast<std::size_t>(length) < buffer.size()) {
                const std::string folder = detail::resources_folder_for(
                    std::string(buffer.data(), static_cast<std::size_t>(length)));
                return folder.empty() ? filepath() : filepath(folder);
            }
            buffer.resize(buffer.size() * 2);
        }
    } catch (...) {
        return filepath();
    }
}

} // namespace files
