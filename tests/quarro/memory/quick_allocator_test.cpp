// Pools: the size table, the stride rule, growth, the leak warning and the pooled operator new.
#include <quarro/log/logbook.h>
#include <quarro/memory/quick_allocator.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

namespace {

using quarro::u64;

TEST(QuickAllocatorPool, StandardPoolsShareSizesUpTo1024)
{
    const struct
    {
        u64 size;
        u64 pool_size;
        u64 blocks_per_chunk;
        u64 preallocated_chunks;
    } cases[] = {{1, 16, 2048, 4},    {16, 16, 2048, 4},  {17, 32, 1024, 32},
                 {33, 64, 512, 64},   {65, 128, 256, 32}, {128, 128, 256, 32},
                 {200, 256, 128, 32}, {511, 512, 64, 0},  {1024, 1024, 32, 0}};
    for (const auto& c : cases) {
        // The other two arguments are ignored for the standard sizes.
        auto* pool = memory::get_quick_allocator_pool(c.size, 7, 7);
        EXPECT_EQ(pool, memory::get_quick_allocator_pool(c.pool_size, 1, 0)) << c.size;
        EXPECT_EQ(pool->block_size(), c.pool_size) << c.size;
        EXPECT_EQ(pool->blocks_per_chunk(), c.blocks_per_chunk) << c.size;
        EXPECT_GE(pool->bytes_reserved(), c.preallocated_chunks * pool->chunk_size()) << c.size;
    }
    auto* large = memory::get_quick_allocator_pool(1025, 4, 0);
    EXPECT_NE(large, memory::get_quick_allocator_pool(1025, 4, 0)); // a pool of its own each time
    EXPECT_EQ(large->block_size(), 1025u);
}

TEST(QuickAllocatorImpl, StrideAndChunkSize)
{
    const struct
    {
        u64 block;
        u64 stride;
    } cases[] = {{1030, 1040}, {16, 16}, {17, 32}, {8, 16}, {48, 48}};
    for (const auto& c : cases) {
        memory::quick_allocator_impl pool(c.block, 10, 0);
        EXPECT_EQ(pool.stride(), c.stride) << c.block;
        EXPECT_EQ(pool.chunk_size(), c.stride * 10 + 16);
        EXPECT_EQ(pool.bytes_reserved(), 0u);
    }
}

TEST(QuickAllocatorImpl, GrowsOneChunkWhenEmpty)
{
    memory::quick_allocator_impl pool(64, 8, 1);
    EXPECT_EQ(pool.free_block_count(), 8u);
    std::vector<void*> blocks;
    for (int i = 0; i < 8; ++i)
        blocks.push_back(pool.allocate());
    EXPECT_EQ(pool.free_block_count(), 0u);
    EXPECT_EQ(pool.bytes_reserved(), pool.chunk_size());
    blocks.push_back(pool.allocate());
    EXPECT_EQ(pool.free_block_count(), 7u); // blocks per chunk minus one
    EXPECT_EQ(pool.bytes_reserved(), 2 * pool.chunk_size());
    EXPECT_EQ(pool.bytes_in_use(), 9 * 64u);
    for (void* block : blocks)
        pool.free(block);
    EXPECT_EQ(pool.bytes_in_use(), 0u);
    EXPECT_EQ(pool.free_block_count(), 16u);
}

TEST(QuickAllocatorImpl, WarnsOfBlocksStillInUse)
{
    // The warning is a level-7 line for the log file and the console; the default console
    // level (5) would drop it, so the console is opened up to level 7 here.
    quarro::logbook::instance().set_levels({0, 7, 0});
    testing::internal::CaptureStderr();
    {
        memory::quick_allocator_impl pool(64, 16, 1);
        pool.allocate();
        pool.allocate();
        pool.allocate();
    }
    const std::string output = testing::internal::GetCapturedStderr();
    quarro::logbook::instance().set_levels({});
    EXPECT_EQ(output, "quick_allocator_impl destructed memory still in use! size:64 count:3\n");

    testing::internal::CaptureStderr();
    {
        memory::quick_allocator_impl pool(32, 16, 1);
        pool.allocate();
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), ""); // level 7 is above the default 5
}

struct pooled_thing
{
    QUARRO_POOLED_CLASS(pooled_thing, 64, 0)
public:
    virtual ~pooled_thing() = default;
    char payload[40];
};

struct larger_thing : pooled_thing
{
    char more[100];
};

TEST(PooledClass, OwnSizeFromThePoolOthersFromTheHeap)
{
    auto* pool = pooled_thing::class_allocator().pool();
    const u64 before = pool->bytes_in_use();
    auto* thing = new pooled_thing;
    EXPECT_EQ(pool->bytes_in_use(), before + pool->block_size());
    pooled_thing* larger = new larger_thing; // a different size: the global heap
    EXPECT_EQ(pool->bytes_in_use(), before + pool->block_size());
    delete larger; // goes back to the heap (ASan would see a mismatch otherwise)
    delete thing;
    EXPECT_EQ(pool->bytes_in_use(), before);
}

// Each thread fills its blocks with its own number and finds it unchanged when it returns
// them: no block is handed out twice, and each is aligned to 16 bytes.
TEST(QuickAllocatorImpl, EightThreadsTakeAndReturn)
{
    constexpr u64 size = 24;
    memory::quick_allocator_impl pool(size, 64, 0);
    std::atomic<int> failures{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < 8; ++t) {
        workers.emplace_back([&, t] {
            std::vector<unsigned char*> mine;
            for (int r = 0; r < 2000; ++r) {
                auto* block = static_cast<unsigned char*>(pool.allocate());
                if (reinterpret_cast<std::uintptr_t>(block) % 16 != 0)
                    failures++;
                for (u64 k = 0; k < size; ++k)
                    block[k] = static_cast<unsigned char>(t);
                mine.push_back(block);
                if (r % 3 != 2 && r != 1999)
                    continue; // return some while others are taking
                for (auto* b : mine) {
                    for (u64 k = 0; k < size; ++k)
                        if (b[k] != t)
                            failures++;
                    pool.free(b);
                }
                mine.clear();
            }
        });
    }
    for (auto& w : workers)
        w.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(pool.bytes_in_use(), 0u);
    EXPECT_EQ(pool.free_block_count() * pool.stride() +
                  pool.bytes_reserved() / pool.chunk_size() * 16,
              pool.bytes_reserved());
}

} // namespace
