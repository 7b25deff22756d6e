// Another program's hold on the speaker lock: an open file description of its own on the lock
// file, holding the flock as a second panel would.
#pragma once

#include <speaker_link/device/speaker_lock.h>
#include <support/bounded_wait.h>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace test_support {

class other_program_lock
{
public:
    /// Takes the lock; a worker that has reported may still be letting go of it, but one that
    /// keeps it beyond wait_limit fails the test.
    other_program_lock()
        : descriptor_(::open(speaker_lock_path().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600))
    {
        EXPECT_TRUE(eventually([this] { return ::flock(descriptor_, LOCK_EX | LOCK_NB) == 0; }))
            << "the speaker lock was kept by another holder";
    }
    ~other_program_lock() { let_go(); }
    other_program_lock(const other_program_lock&) = delete;
    other_program_lock& operator=(const other_program_lock&) = delete;

    void let_go()
    {
        if (descriptor_ >= 0)
            ::close(descriptor_);
        descriptor_ = -1;
    }

    /// True when nobody holds the lock now.
    static bool lock_is_free()
    {
        const int descriptor =
            ::open(speaker_lock_path().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        const bool taken = ::flock(descriptor, LOCK_EX | LOCK_NB) == 0;
        ::close(descriptor);
        return taken;
    }

private:
    int descriptor_;
};

} // namespace test_support
