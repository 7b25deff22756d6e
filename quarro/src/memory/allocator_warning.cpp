// The pools' warning goes to the log.
#include "allocator_warning.h"

#include <quarro/log/logbook.h>

namespace memory::detail {

void report_allocator_warning(const char* text)
{
    try {
        quarro::logbook::instance().message(text, quarro::log_level::info,
                                            quarro::logbook::file_and_console);
    } catch (...) {
        // Called from a destructor: a warning that can't be logged is dropped.
    }
}

} // namespace memory::detail
