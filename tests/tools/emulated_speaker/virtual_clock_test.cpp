// The preloaded emulated speaker's time: what it would take on a real speaker is added to real
// time, and PELLARO_EMULATED_REAL_TIME_PERCENT has it sleep that share of it for real, so that an
// end-to-end test meets an installation in progress.
#include <support/child_process.h>

#include <hidapi/hidapi.h>

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <chrono>
#include <cstdlib>
#include <string>

namespace {

// The shared build, loaded as a program loads it, with its own clock: a child process loads it,
// so that the share it reads once from the environment is the row's.
std::string real_time_of_a_wait(int percent, int wait_ms, int at_least_ms)
{
    return test_support::run_in_child(test_support::child_user::same, [&]() -> std::string {
        setenv("PELLARO_EMULATED_REAL_TIME_PERCENT", std::to_string(percent).c_str(), 1);
        unsetenv("PELLARO_EMULATED_FLASH");
        void* library = dlopen(PELLARO_EMULATED_SPEAKER_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr)
            return std::string("dlopen failed: ") + dlerror();
        const auto open = reinterpret_cast<decltype(&hid_open)>(dlsym(library, "hid_open"));
        const auto read =
            reinterpret_cast<decltype(&hid_read_timeout)>(dlsym(library, "hid_read_timeout"));
        const auto close = reinterpret_cast<decltype(&hid_close)>(dlsym(library, "hid_close"));
        if (open == nullptr || read == nullptr || close == nullptr)
            return "the library lacks hid_open, hid_read_timeout or hid_close";
        hid_device* device = open(0x04D8, 0x00DE, nullptr);
        if (device == nullptr)
            return "the emulated speaker did not open";
        // Nothing was asked: the read waits its whole timeout on the speaker's clock.
        unsigned char reply[64];
        const auto start = std::chrono::steady_clock::now();
        const int got = read(device, reply, sizeof reply, wait_ms);
        const auto took = std::chrono::steady_clock::now() - start;
        close(device);
        if (got != 0)
            return "the read answered " + std::to_string(got) + ", not 0";
        const auto took_ms = std::chrono::duration_cast<std::chrono::milliseconds>(took).count();
        if (took_ms < at_least_ms)
            return "a wait of " + std::to_string(wait_ms) + " ms took " + std::to_string(took_ms) +
                   " ms of real time";
        return std::string();
    });
}

TEST(PreloadedSpeakerClock, SleepsTheShareOfItsWaitsThatTheEnvironmentAsks)
{
    const struct
    {
        int percent, wait_ms, at_least_ms;
    } rows[] = {{50, 200, 100}, {100, 200, 200}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.percent);
        EXPECT_EQ(real_time_of_a_wait(row.percent, row.wait_ms, row.at_least_ms), "");
    }
}

} // namespace
