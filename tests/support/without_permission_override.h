// Takes the calling thread's power to pass over file permissions away while it lives, so that a
// folder a test made unreadable is unreadable to root too (the build machines run the tests as
// root). Threads started meanwhile inherit the reduced power; others keep theirs.
#pragma once

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace test_support {

class without_permission_override
{
public:
    without_permission_override()
    {
        // The raw calls act on this thread alone, as the test needs: glibc has no wrapper.
        if (::syscall(SYS_capget, &header_, saved_) != 0)
            return;
        __user_cap_data_struct reduced[2] = {saved_[0], saved_[1]};
        reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        restore_ = ::syscall(SYS_capset, &header_, reduced) == 0;
    }
    ~without_permission_override()
    {
        if (restore_)
            ::syscall(SYS_capset, &header_, saved_);
    }
    without_permission_override(const without_permission_override&) = delete;
    without_permission_override& operator=(const without_permission_override&) = delete;

private:
    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved_[2]{};
    bool restore_ = false;
};

} // namespace test_support
