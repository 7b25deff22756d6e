// Where a pool reports blocks still in use when it dies.
#pragma once

namespace memory::detail {

/// Reports the text at log_level::info to the log file and the console.
void report_allocator_warning(const char* text);

} // namespace memory::detail
