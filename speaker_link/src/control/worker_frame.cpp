// The worker frame's thread mark and failure log.
#include "worker_frame.h"

#include <quarro/log/logbook.h>

namespace {

thread_local bool inside_worker = false;

} // namespace

worker_scope::worker_scope() noexcept : outer_(inside_worker)
{
    inside_worker = true;
}

worker_scope::~worker_scope()
{
    inside_worker = outer_;
}

bool is_inside_worker() noexcept
{
    return inside_worker;
}

void log_failure(const err::exception& error, quarro::u32 log_level) noexcept
{
    try {
        quarro::logbook::instance().message(error.what(), log_level,
                                            quarro::logbook::file_and_console);
    } catch (...) {
    }
}
