// Caps the size of files this process may write, so that the system itself cuts a write
// short (and then refuses the rest with EFBIG): a real short transfer, without stubs.
#pragma once

#include <sys/resource.h>

#include <csignal>

namespace test_support {

class file_size_limit
{
public:
    explicit file_size_limit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &previous_);
        previous_handler_ = std::signal(SIGXFSZ, SIG_IGN); // EFBIG instead of a core dump
        rlimit limit = previous_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~file_size_limit()
    {
        setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previous_handler_);
    }
    file_size_limit(const file_size_limit&) = delete;
    file_size_limit& operator=(const file_size_limit&) = delete;

private:
    rlimit previous_{};
    void (*previous_handler_)(int) = SIG_DFL;
};

} // namespace test_support
