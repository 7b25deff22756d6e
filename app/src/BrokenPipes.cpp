// SIGPIPE caught by a handler that does nothing.
#include "BrokenPipes.h"

#include <csignal>

namespace {

extern "C" void dropSignal(int) {}

} // namespace

void BrokenPipes::letWritesFail() noexcept
{
    struct sigaction action = {};
    action.sa_handler = dropSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGPIPE, &action, nullptr);
}
