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

using test_support::write_text;

TEST(DefaultApplication, PathArrivesAsOneArgumentAndTheFileNeverRuns)
{
    // A stand-in xdg-open, first on PATH, writes each call's arguments to a file of its own
    // (renamed into place when complete).
    test_support::temporary_folder root;
    std::filesystem::create_directories(root / "bin");
    std::filesystem::create_directories(root / "calls");
    write_text(root / "bin/xdg-open", "#!/bin/sh\n"
                                      "out=\"$PELLARO_OPEN_CALLS/call-$$\"\n"
                                      "{ echo \"argc=$#\"; for a in \"$@\"; do "
                                      "printf 'arg=%s\\n' \"$a\"; done; } > \"$out.tmp\"\n"
                                      "mv \"$out.tmp\" \"$out\"\n");
    chmod((root / "bin/xdg-open").c_str(), 0755);
    const char* const inherited = std::getenv("PATH");
    const test_support::environment_variable path{
        "PATH", root / "bin:" + std::string(inherited != nullptr ? inherited : "")};
    const test_support::environment_variable calls_folder{"PELLARO_OPEN_CALLS", root / "calls"};

    const std::string document = root / "it's a \"manual\" $HOME; touch ran.pdf";
    // Were the document itself executed, it would leave a mark.
    write_text(document, "#!/bin/sh\ntouch '" + (root / "ran") + "'\n");
    chmod(document.c_str(), 0755);

    quarro::open_with_default_application(files::filepath()); // opens nothing
    quarro::open_with_default_application(files::filepath(document));
    errno = 0;
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1); // no child of ours is left to reap
    EXPECT_EQ(errno, ECHILD);

    // The calls once one has arrived (bounded wait). Had the first call started an opener,
    // it would have started before the second.
    std::vector<std::string> calls;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (calls.empty() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        for (const auto& entry : std::filesystem::directory_iterator(root / "calls")) {
            if (entry.path().extension() != ".tmp")
                calls.push_back(test_support::read_text(entry.path().string()));
        }
    }
    EXPECT_EQ(calls, std::vector<std::string>{"argc=1\narg=" + document + "\n"});
    EXPECT_FALSE(std::filesystem::exists(root / "ran"));
}

} // namespace
