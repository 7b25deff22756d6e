// Opening with the default application: xdg-open gets the path as one argument, the file
// itself never runs, and no child is left behind.
#include <quarro/desktop/default_application.h>

#include "support/environment_variable.h"
#include "support/temporary_folder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace {

using test_support::read_text;
using test_support::temporary_folder;
using test_support::write_text;

std::string inherited(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// A stand-in xdg-open, first on PATH, that writes each call's arguments to a file of its own
// (renamed into place when complete).
class DefaultApplication : public testing::Test
{
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(root / "bin");
        std::filesystem::create_directories(root / "calls");
        write_text(root / "bin/xdg-open", "#!/bin/sh\n"
                                          "out=\"$PELLARO_OPEN_CALLS/call-$$\"\n"
                                          "{ echo \"argc=$#\"; for a in \"$@\"; do "
                                          "printf 'arg=%s\\n' \"$a\"; done; } > \"$out.tmp\"\n"
                                          "mv \"$out.tmp\" \"$out\"\n");
        chmod((root / "bin/xdg-open").c_str(), 0755);
    }

    // The calls recorded once `count` of them have arrived (bounded wait).
    std::vector<std::string> calls(std::size_t count)
    {
        std::vector<std::string> found;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < deadline) {
            found.clear();
            for (const auto& entry : std::filesystem::directory_iterator(root / "calls")) {
                if (entry.path().extension() != ".tmp")
                    found.push_back(read_text(entry.path().string()));
            }
            if (found.size() >= count)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return found;
    }

    temporary_folder root;
    test_support::environment_variable path{"PATH", root / "bin:" + inherited("PATH")};
    test_support::environment_variable calls_folder{"PELLARO_OPEN_CALLS", root / "calls"};
};

TEST_F(DefaultApplication, PathArrivesAsOneArgumentAndTheFileNeverRuns)
{
    const std::string name = "it's a \"manual\" $HOME; touch ran.pdf";
    const std::string document = root / name;
    // Were the document itself executed, it would leave a mark.
    write_text(document, "#!/bin/sh\ntouch '" + (root / "ran") + "'\n");
    chmod(document.c_str(), 0755);

    quarro::open_with_default_application(files::filepath()); // opens nothing
    quarro::open_with_default_application(files::filepath(document));
    errno = 0;
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1); // no child of ours is left to reap
    EXPECT_EQ(errno, ECHILD);

    // Had the first call started an opener, it would have started before the second.
    EXPECT_EQ(calls(1), std::vector<std::string>{"argc=1\narg=" + document + "\n"});
    EXPECT_FALSE(std::filesystem::exists(root / "ran"));
}

} // namespace
