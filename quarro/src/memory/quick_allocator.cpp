// The pools and the process-wide pool set.
#include <quarro/memory/quick_allocator.h>

#include "allocator_warning.h"

#include <array>
#include <cstdio>
#include <vector>

namespace memory {
namespace {

using quarro::u64;

struct standard_pool
{
    u64 size;
    u64 blocks_per_chunk;
    u64 chunks_to_preallocate;
};

constexpr std::array<standard_pool, 7> standard_pools{{
    {16, 2048, 4},
    {32, 1024, 32},
    {64, 512, 64},
    {128, 256, 32},
    {256, 128, 32},
    {512, 64, 0},
    {1024, 32, 0},
}};

class pool_set
{
public:
    pool_set()
    {
        for (std::size_t i = 0; i < standard_pools.size(); ++i) {
            const standard_pool& s = standard_pools[i];
            standard_[i] =
                new quick_allocator_impl(s.size, s.blocks_per_chunk, s.chunks_to_preallocate);
            all_.push_back(standard_[i]);
        }
    }

    quick_allocator_impl* pool_for(u64 size, u64 blocks_per_chunk, u64 chunks_to_preallocate)
    {
        for (std::size_t i = 0; i < standard_pools.size(); ++i) {
            if (size <= standard_pools[i].size)
                return standard_[i];
        }
        auto* pool = new quick_allocator_impl(size, blocks_per_chunk, chunks_to_preallocate);
        std::lock_guard<std::mutex> lock(list_lock_);
        all_.push_back(pool);
        return pool;
    }

private:
    std::array<quick_allocator_impl*, standard_pools.size()> standard_{};
    std::mutex list_lock_;
    std::vector<quick_allocator_impl*> all_; // every pool made, in creation order
};

pool_set& the_pool_set()
{
    // Built on first use and never torn down: objects may still hold blocks while static
    // destructors run at exit, and freeing chunks under them would be a use after free.
    static pool_set* set = new pool_set;
    return *set;
}

} // namespace

quick_allocator_impl::quick_allocator_impl(u64 block_size, u64 blocks_per_chunk,
                                           u64 chunks_to_preallocate)
    : block_size_(block_size), stride_((block_size + 15) & ~u64{15}),
      blocks_per_chunk_(blocks_per_chunk == 0 ? 1 : blocks_per_chunk),
      chunk_size_(stride_ * blocks_per_chunk_ + chunk_header_size)
{
    for (u64 i = 0; i < chunks_to_preallocate; ++i)
        grow();
}

quick_allocator_impl::~quick_allocator_impl()
{
    const u64 in_use = bytes_in_use_.load();
    if (in_use != 0) {
        char text[200];
        std::snprintf(text, sizeof text,
                      "quick_allocator_impl destructed memory still in use! size:%i count:%i",
                      static_cast<int>(block_size_),
                      static_cast<int>(block_size_ == 0 ? 0 : in_use / block_size_));
        detail::report_allocator_warning(text);
    }
    link* chunk = nullptr;
    {
        std::lock_guard<std::mutex> lock(pop_lock_);
        chunk = chunk_head_.exchange(nullptr);
    }
    free_head_.store(nullptr);
    free_block_count_.store(0);
    while (chunk != nullptr) {
        link* next = chunk->next;
        ::operator delete(static_cast<void*>(chunk));
        bytes_reserved_.fetch_sub(chunk_size_);
        chunk = next;
    }
}

void quick_allocator_impl::grow()
{
    bytes_reserved_.fetch_add(chunk_size_);
    auto* bytes = static_cast<unsigned char*>(::operator new(chunk_size_));
    auto* chunk = reinterpret_cast<link*>(bytes);
    chunk->next = chunk_head_.load();
    while (!chunk_head_.compare_exchange_weak(chunk->next, chunk)) {
    }

    const auto block_at = [&](u64 i) {
        return reinterpret_cast<link*>(bytes + chunk_header_size + i * stride_);
    };
    for (u64 i = 0; i + 1 < blocks_per_chunk_; ++i)
        block_at(i)->next = block_at(i + 1);
    link* first = block_at(0);
    link* last = block_at(blocks_per_chunk_ - 1);
    last->next = free_head_.load();
    while (!free_head_.compare_exchange_weak(last->next, first)) {
    }
    free_block_count_.fetch_add(blocks_per_chunk_);
}

void* quick_allocator_impl::allocate()
{
    bytes_in_use_.fetch_add(block_size_);
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(pop_lock_);
            link* head = free_head_.load(std::memory_order_acquire);
            while (head != nullptr) {
                if (free_head_.compare_exchange_weak(head, head->next, std::memory_order_acquire)) {
                    free_block_count_.fetch_sub(1);
                    return head;
                }
            }
        }
        grow();
    }
}

void quick_allocator_impl::free(void* block) noexcept
{
    if (block == nullptr)
        return;
    bytes_in_use_.fetch_sub(block_size_);
    auto* node = static_cast<link*>(block);
    node->next = free_head_.load(std::memory_order_relaxed);
    while (!free_head_.compare_exchange_weak(node->next, node, std::memory_order_release,
                                             std::memory_order_relaxed)) {
    }
    free_block_count_.fetch_add(1);
}

quick_allocator_impl* get_quick_allocator_pool(u64 size, u64 blocks_per_chunk,
                                               u64 chunks_to_preallocate)
{
    return the_pool_set().pool_for(size, blocks_per_chunk, chunks_to_preallocate);
}

} // namespace memory
