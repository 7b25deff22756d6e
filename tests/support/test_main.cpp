// Entry of every test program: points HOME, XDG_CONFIG_HOME and XDG_RUNTIME_DIR at a fresh
// temporary folder before any test runs, so that no test ever writes into the real user's
// folders, gives each test a home and temporary root of its own, and points the firmware
// service at a closed local port.
#include "environment_variable.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

namespace {

// What one test leaves in its home (a downloaded firmware package, preset files, the log) or
// below PELLARO_TEST_ROOT is never found by another, whatever their order: each test gets a
// fresh folder for both, removed when it ends. The product reads HOME whenever it looks for the
// Documents folder, and each dsp_control points the log at the Documents folder of its time.
class fresh_folders_per_test : public testing::EmptyTestEventListener
{
public:
    void OnTestStart(const testing::TestInfo&) override
    {
        const char* root = std::getenv("PELLARO_TEST_ROOT");
        std::string pattern = std::string(root != nullptr ? root : "/tmp") + "/test-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) {
            ADD_FAILURE() << "mkdtemp failed for " << pattern;
            return;
        }
        folder_ = pattern;
        std::error_code ignored;
        std::filesystem::create_directories(pattern + "/home/.config", ignored);
        root_.emplace("PELLARO_TEST_ROOT", pattern);
        home_.emplace("HOME", pattern + "/home");
        config_.emplace("XDG_CONFIG_HOME", pattern + "/home/.config");
    }

    // The folder goes here and never in a destructor: a test's child process that calls exit()
    // destroys this listener too, and would take the folder from under its parent's test.
    void OnTestEnd(const testing::TestInfo&) override
    {
        config_.reset();
        home_.reset();
        root_.reset();
        std::error_code ignored;
        if (!folder_.empty())
            std::filesystem::remove_all(folder_, ignored);
        folder_.clear();
    }

private:
    std::string folder_;
    std::optional<test_support::environment_variable> root_, home_, config_;
};

bool is_death_test_child(int argc, char** argv)
{
    static const char flag[] = "--gtest_internal_run_death_test";
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], flag, sizeof flag - 1) == 0)
            return true;
    return false;
}

int run_tests(int argc, char** argv)
{
    // No test reaches the internet: a firmware request that a test did not point at its own
    // service goes to a port where nothing listens.
    setenv("PELLARO_FIRMWARE_SERVICE", "http://127.0.0.1:1", 1);

    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new fresh_folders_per_test);
    return RUN_ALL_TESTS();
}

} // namespace

int main(int argc, char** argv)
{
    // A death test's child runs this main again in the middle of its parent's test and dies
    // before it could remove a folder of its own: it works in the folders that its parent's
    // test hands down through the environment, and the parent removes them.
    if (is_death_test_child(argc, argv) && std::getenv("PELLARO_TEST_ROOT") != nullptr)
        return run_tests(argc, argv);

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
    const int result = run_tests(argc, argv);

    std::filesystem::remove_all(pattern, ignored);
    return result;
}
