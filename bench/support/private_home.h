// A private home folder for benchmarks that run the product, which writes its logs and
// downloads under the user's Documents folder.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

namespace bench_support {

/// A fresh folder below the system's temporary folder; removed at exit of the object.
class scratch_folder
{
public:
    scratch_folder()
    {
        std::string pattern =
            std::filesystem::temp_directory_path().string() + "/pellaro-bench-XXXXXX";
        if (mkdtemp(pattern.data()) != nullptr)
            path = pattern;
    }
    ~scratch_folder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::string path;
};

/// Points HOME and XDG_CONFIG_HOME at a scratch folder before the product runs.
inline const scratch_folder& private_home()
{
    static scratch_folder home;
    static const bool set = [] {
        std::filesystem::create_directories(home.path + "/.config");
        setenv("HOME", home.path.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (home.path + "/.config").c_str(), 1);
        return true;
    }();
    (void)set;
    return home;
}

} // namespace bench_support
