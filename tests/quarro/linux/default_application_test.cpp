// Opening with the default application: xdg-open gets the path as one argument, the file
// itself never runs, no child is left behind, and the opener gets the default signal actions
// and no blocked signal whatever its caller had.
#include <quarro/desktop/default_application.h>

#include "support/child_process.h"
#include "support/environment_variable.h"
#include "support/temporary_folder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <pthread.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <sstream>
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

TEST(DefaultApplication, TheOpenerGetsDefaultSignalActionsAndNoBlockedSignal)
{
    // A stand-in xdg-open writes the masks of the signals it has blocked and ignored, in hex,
    // bit n - 1 for signal n. Perl, for it keeps both as it found them; a shell would clear
    // the blocked ones.
    test_support::temporary_folder root;
    std::filesystem::create_directories(root / "bin");
    write_text(root / "bin/xdg-open",
               "#!/usr/bin/perl\n"
               "open(my $in, '<', \"/proc/$$/status\") or die;\n"
               "my %mask = map { /^(SigBlk|SigIgn):\\s*([0-9a-f]+)/ ? ($1, hex $2) : () } <$in>;\n"
               "open(my $out, '>', \"$ENV{PELLARO_OPEN_REPORT}.tmp\") or die;\n"
               "print $out \"$mask{SigBlk} $mask{SigIgn}\";\n"
               "close($out) or die;\n"
               "rename(\"$ENV{PELLARO_OPEN_REPORT}.tmp\", $ENV{PELLARO_OPEN_REPORT}) or die;\n");
    chmod((root / "bin/xdg-open").c_str(), 0755);
    const char* const inherited = std::getenv("PATH");
    const test_support::environment_variable path{
        "PATH", root / "bin:" + std::string(inherited != nullptr ? inherited : "")};
    const std::string report = root / "signals";
    const test_support::environment_variable report_file{"PELLARO_OPEN_REPORT", report};
    const std::string document = root / "manual.pdf";
    write_text(document, "%PDF");

    // The caller, as the panel may be: quit signals held back, SIGHUP ignored (started with
    // nohup), SIGPIPE ignored. All would outlive an exec. In a child, so that the test program
    // keeps its own.
    const int quitSignals[] = {SIGHUP, SIGINT, SIGQUIT, SIGTERM};
    const std::string answer = test_support::run_in_child(test_support::child_user::same, [&] {
        sigset_t held;
        sigemptyset(&held);
        for (const int signalNumber : quitSignals)
            sigaddset(&held, signalNumber);
        pthread_sigmask(SIG_BLOCK, &held, nullptr);
        std::signal(SIGHUP, SIG_IGN);
        std::signal(SIGPIPE, SIG_IGN);
        quarro::open_with_default_application(files::filepath(document));
        return std::string();
    });
    ASSERT_EQ(answer, "");

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!std::filesystem::exists(report) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(std::filesystem::exists(report)) << "the opener did not run within 20 s";
    unsigned long long blocked = 0;
    unsigned long long ignored = 0;
    std::istringstream masks(test_support::read_text(report));
    ASSERT_TRUE(masks >> blocked >> ignored) << "the opener's report is unreadable";
    const auto has = [](unsigned long long mask, int signalNumber) {
        return ((mask >> (signalNumber - 1)) & 1u) != 0;
    };
    for (const int signalNumber : quitSignals)
        EXPECT_FALSE(has(blocked, signalNumber)) << "blocked: signal " << signalNumber;
    for (const int signalNumber : {SIGHUP, SIGPIPE})
        EXPECT_FALSE(has(ignored, signalNumber)) << "ignored: signal " << signalNumber;
}

} // namespace
