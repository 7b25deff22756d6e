// The pools' warning goes to the console until the log carries it.
#include "allocator_warning.h"

#include <cstdio>

namespace memory::detail {

void report_allocator_warning(const char* text)
{
    std::fprintf(stderr, "%s\n", text);
}

} // namespace memory::detail
