// Path text rules shared by the file path and the folder operations.
#include "files/path_text.h"

#include <unistd.h>

#include <cerrno>
#include <vector>

namespace files::detail {
namespace {

std::optional<std::string> working_folder()
{
    std::vector<char> buffer(4096);
    for (int attempt = 0; attempt < 8; ++attempt) {
        if (getcwd(buffer.data(), buffer.size()) != nullptr)
            return std::string(buffer.data());
        if (errno != ERANGE)
            return std::nullopt;
        buffer.resize(buffer.size() * 2);
    }
    return std::nullopt;
}

// Every component between '/' characters, empty ones included.
std::vector<std::string> components_of(const std::string& text)
{
    std::vector<std::string> components;
    std::string::size_type start = 0;
    for (;;) {
        const std::string::size_type end = text.find('/', start);
        if (end == std::string::npos) {
            components.push_back(text.substr(start));
            return components;
        }
        components.push_back(text.substr(start, end - start));
        start = end + 1;
    }
}

} // namespace

std::optional<std::string> normalise_path(const std::string& text)
{
    std::string absolute = text;
    if (absolute.empty() || absolute.front() != '/') {
        const auto base = working_folder();
        if (!base)
            return std::nullopt;
        absolute = *base + "/" + text;
    }
    std::vector<std::string> components;
    for (const std::string& component : components_of(absolute)) {
        if (component == "..") {
            if (!components.empty())
                components.pop_back();
        } else if (!component.empty() && component != ".") {
            components.push_back(component);
        }
    }
    std::string result;
    for (const std::string& component : components)
        result += "/" + component;
    return result.empty() ? std::string("/") : result;
}

std::string join_path(const std::string& folder, const std::string& name)
{
    if (folder.empty() || folder.back() == '/')
        return folder + name;
    return folder + "/" + name;
}

std::string last_component(const std::string& path)
{
    if (path == "/")
        return path;
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string parent_path(const std::string& path)
{
    if (path.empty() || path == "/")
        return std::string();
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return std::string();
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

bool is_acceptable_item_name(const std::string& name)
{
    if (name.empty() || name.find('\0') != std::string::npos)
        return false;
    for (const std::string& component : components_of(name)) {
        if (component == "." || component == "..")
            return false;
    }
    return true;
}

} // namespace files::detail
