// Fuzzes the path texts: normalising, joining, splitting and the item-name rule.
#include <quarro/files/file_name_parts.h>

#include "files/path_text.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

bool normal_path_has_flaws(const std::string& path)
{
    if (path == "/")
        return false;
    if (path.back() == '/' || path.find("//") != std::string::npos)
        return true;
    return (path + "/").find("/./") != std::string::npos ||
           (path + "/").find("/../") != std::string::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    using namespace files::detail;

    const auto normal = normalise_path(text);
    if (normal) {
        // Absolute, without empty, "." or ".." components, and unchanged when normalised again.
        if (normal->empty() || normal->front() != '/' || normal_path_has_flaws(*normal))
            std::abort();
        if (normalise_path(*normal) != normal)
            std::abort();
        const std::string parent = parent_path(*normal);
        const std::string last = last_component(*normal);
        if (*normal != "/" && join_path(parent, last) != *normal)
            std::abort();
        if (is_acceptable_item_name(text) && text.find('/') == std::string::npos &&
            last_component(*normalise_path(join_path(*normal, text))) != text)
            std::abort(); // an acceptable name makes exactly the item it names
    }

    const files::file_name_parts parts = files::split_file_name(text);
    if (parts.file_name.size() > text.size() ||
        text.compare(text.size() - parts.file_name.size(), std::string::npos, parts.file_name) !=
            0)
        std::abort();
    if (!parts.extension.empty() &&
        parts.base_name + "." + parts.extension != parts.file_name)
        std::abort();
    return 0;
}
