// The pool of shared-handle counters.
#include <quarro/memory/shared_handle.h>

namespace memory {

quick_allocator& get_shared_count_pool()
{
    static quick_allocator pool(8, 256, 8);
    return pool;
}

} // namespace memory
