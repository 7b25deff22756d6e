// The console line over write(2).
#include <quarro/desktop/console.h>

#include "files/descriptor.h"

#include <unistd.h>

namespace quarro {

void console_log(const std::string& text) noexcept
{
    try {
        const std::string line = text + '\n';
        u64 written = 0;
        files::detail::write_all(STDERR_FILENO, reinterpret_cast<const u8*>(line.data()),
                                 line.size(), written);
    } catch (...) {
        // No memory for the line: nothing sensible is left to print it with.
    }
}

} // namespace quarro
