// Entry of every test program: points HOME, XDG_CONFIG_HOME and XDG_RUNTIME_DIR at a fresh
// temporary folder before any test runs, so that no test ever writes into the real user's
// folders, and points the firmware service at a closed local port.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

int main(int argc, char** argv)
{
    std::error_code ignored;
    std::string base = std::filesystem::temp_directory_path(ignored).string();
    if (base.empty())
        base = "/tmp";
    std::string pattern = base + "/pellaro-test-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        std::perror("mkdtemp");
        return 2;
    }
    const std::string home = pattern + "/home";
    const std::string config = home + "/.config";
    std::filesystem::create_directories(config);
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    setenv("PELLARO_TEST_ROOT", pattern.c_str(), 1);
    // The speaker's lock file, too, is the test program's own: tests running side by side
    // never wait for each other, nor for a panel the user runs.
    const std::string runtime = pattern + "/runtime";
    std::filesystem::create_directory(runtime, ignored);
    std::filesystem::permissions(runtime, std::filesystem::perms::owner_all, ignored);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    // No test reaches the internet: a firmware request that a test did not point at its own
    // service goes to a port where nothing listens.
    setenv("PELLARO_FIRMWARE_SERVICE", "http://127.0.0.1:1", 1);

    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();

    std::filesystem::remove_all(pattern, ignored);
    return result;
}
