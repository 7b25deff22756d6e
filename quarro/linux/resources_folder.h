// Where an executable finds its resources.
#pragma once

#include <string>

namespace files::detail {

/// For the executable at that absolute path: <its folder>/../share/pellaro when that folder
/// exists, else <its folder>/resources when that exists, else the empty text.
std::string resources_folder_for(const std::string& executable_path);

} // namespace files::detail
