// Pools of equal-size blocks for small objects that are created in numbers, so that taking
// and returning one is a few atomic operations instead of a heap call.
#pragma once

#include <quarro/types.h>

#include <atomic>
#include <cstddef>
#include <mutex>
#include <new>

namespace memory {

/// One pool of blocks of a single size. Chunks come from the global heap and are kept until
/// the pool dies. allocate() and free() may be called from any thread: pops from the free
/// list are serialised by a lock (so a compare-and-swap pop never sees a block that was
/// popped and pushed back meanwhile); pushes use compare-and-swap alone.
class quick_allocator_impl
{
public:
    static constexpr quarro::u64 chunk_header_size = 16;

    quick_allocator_impl(quarro::u64 block_size, quarro::u64 blocks_per_chunk,
                         quarro::u64 chunks_to_preallocate);
    /// Frees every chunk; blocks still out are reported as a warning first.
    ~quick_allocator_impl();
    quick_allocator_impl(const quick_allocator_impl&) = delete;
    quick_allocator_impl& operator=(const quick_allocator_impl&) = delete;

    /// One block; grows the pool by a chunk when none is free. Throws std::bad_alloc.
    void* allocate();
    /// Returns a block taken from this pool.
    void free(void* block) noexcept;

    quarro::u64 block_size() const noexcept { return block_size_; }
    quarro::u64 stride() const noexcept { return stride_; }
    quarro::u64 blocks_per_chunk() const noexcept { return blocks_per_chunk_; }
    quarro::u64 chunk_size() const noexcept { return chunk_size_; }
    quarro::u64 bytes_in_use() const noexcept { return bytes_in_use_.load(); }
    quarro::u64 bytes_reserved() const noexcept { return bytes_reserved_.load(); }
    quarro::u64 free_block_count() const noexcept { return free_block_count_.load(); }

private:
    struct link
    {
        link* next;
    };

    void grow();

    std::atomic<link*> chunk_head_{nullptr};
    std::atomic<link*> free_head_{nullptr};
    quarro::u64 block_size_;
    quarro::u64 stride_;
    quarro::u64 blocks_per_chunk_;
    quarro::u64 chunk_size_;
    std::atomic<quarro::u64> bytes_in_use_{0};
    std::atomic<quarro::u64> bytes_reserved_{0};
    std::atomic<quarro::u64> free_block_count_{0};
    std::mutex pop_lock_;
};

/// The pool for `size` from the process-wide pool set: sizes up to 1024 share the seven
/// standard pools (16, 32, ... 1024 bytes; the other two arguments are then ignored); a
/// larger size gets a new pool of its own on every call, so callers keep what they get.
/// The pool set is built on first use and lives until the process ends.
quick_allocator_impl* get_quick_allocator_pool(quarro::u64 size, quarro::u64 blocks_per_chunk,
                                               quarro::u64 chunks_to_preallocate);

/// A handle on a pool for one block size, as a pooled class keeps it.
class quick_allocator
{
public:
    quick_allocator(quarro::u64 block_size, quarro::u64 blocks_per_chunk,
                    quarro::u64 chunks_to_preallocate)
        : pool_(get_quick_allocator_pool(block_size, blocks_per_chunk, chunks_to_preallocate)),
          block_size_(block_size)
    {}

    /// A block of the handle's size from the pool; any other size from the global heap.
    void* allocate(std::size_t size)
    {
        return size == block_size_ ? pool_->allocate() : ::operator new(size);
    }
    /// The matching return of allocate().
    void free(void* block, std::size_t size) noexcept
    {
        if (size == block_size_)
            pool_->free(block);
        else
            ::operator delete(block);
    }

    quick_allocator_impl* pool() const noexcept { return pool_; }

private:
    quick_allocator_impl* pool_;
    quarro::u64 block_size_;
};

} // namespace memory

/// Gives a class its own pooled operator new and delete: objects of exactly the class's
/// size come from a function-local pool; larger derived objects fall through to the heap.
#define QUARRO_POOLED_CLASS(Class, blocks_per_chunk, chunks_to_preallocate)                        \
public:                                                                                            \
    static ::memory::quick_allocator& class_allocator()                                            \
    {                                                                                              \
        static ::memory::quick_allocator allocator(sizeof(Class), (blocks_per_chunk),              \
                                                   (chunks_to_preallocate));                       \
        return allocator;                                                                          \
    }                                                                                              \
    static void* operator new(std::size_t size)                                                    \
    {                                                                                              \
        return class_allocator().allocate(size);                                                   \
    }                                                                                              \
    static void operator delete(void* block, std::size_t size) noexcept                            \
    {                                                                                              \
        class_allocator().free(block, size);                                                       \
    }
