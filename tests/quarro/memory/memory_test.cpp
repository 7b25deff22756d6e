// Pools (the size table, the stride rule, growth, the leak warning, the pooled operator new),
// data blocks, and intrusive and shared references.
#include <quarro/log/logbook.h>
#include <quarro/memory/data.h>
#include <quarro/memory/quick_allocator.h>
#include <quarro/memory/shared_handle.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

using quarro::u64;

TEST(QuickAllocatorPool, StandardPoolsShareSizesUpTo1024)
{
    // size asked, pool's block size, blocks per chunk, chunks made at once
    const u64 cases[][4] = {{1, 16, 2048, 4},    {17, 32, 1024, 32},  {33, 64, 512, 64},
                            {128, 128, 256, 32}, {200, 256, 128, 32}, {511, 512, 64, 0},
                            {1024, 1024, 32, 0}};
    for (const auto& c : cases) {
        // The other two arguments are ignored for the standard sizes.
        auto* pool = memory::get_quick_allocator_pool(c[0], 7, 7);
        EXPECT_EQ(pool, memory::get_quick_allocator_pool(c[1], 1, 0)) << c[0];
        EXPECT_EQ(pool->blocks_per_chunk(), c[2]) << c[0];
        EXPECT_GE(pool->bytes_reserved(), c[3] * pool->chunk_size()) << c[0];
    }
    auto* large = memory::get_quick_allocator_pool(1025, 4, 0);
    EXPECT_NE(large, memory::get_quick_allocator_pool(1025, 4, 0)); // a pool of its own each time
    EXPECT_EQ(large->stride(), 1040u); // rounded up to a multiple of 16
}

// A pool grows by one chunk when empty, and warns of the blocks still in use when it goes.
TEST(QuickAllocatorImpl, GrowsOneChunkWhenEmptyAndWarnsOfBlocksStillInUse)
{
    // The warning is an info line.
    quarro::logbook::instance().set_levels(
        {quarro::log_level::none, quarro::log_level::info, quarro::log_level::none});
    testing::internal::CaptureStderr();
    {
        memory::quick_allocator_impl pool(64, 8, 1);
        EXPECT_EQ(pool.chunk_size(), 8 * 64 + 16u); // the blocks and a 16-byte header
        EXPECT_EQ(pool.free_block_count(), 8u);
        std::vector<void*> blocks;
        for (int i = 0; i < 9; ++i)
            blocks.push_back(pool.allocate());
        EXPECT_EQ(pool.free_block_count(), 7u); // blocks per chunk minus one
        EXPECT_EQ(pool.bytes_reserved(), 2 * pool.chunk_size());
        for (int i = 0; i < 6; ++i)
            pool.free(blocks[i]);
        EXPECT_EQ(pool.bytes_in_use(), 3 * 64u);
        EXPECT_EQ(pool.free_block_count(), 13u);
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "quick_allocator_impl destructed memory still in use! size:64 count:3\n");
    quarro::logbook::instance().set_levels({});
}

// A block class that does not take a pool of its own size.
struct larger_block : memory::data
{
    char more[100];
};

TEST(PooledClass, OwnSizeFromThePoolOthersFromTheHeap)
{
    auto* pool = memory::data::class_allocator().pool();
    const u64 before = pool->bytes_in_use();
    memory::data_ptr<memory::data> block(new memory::data());
    EXPECT_EQ(pool->bytes_in_use(), before + pool->block_size());
    memory::data_ptr<memory::data> larger(new larger_block); // a different size: the heap
    EXPECT_EQ(pool->bytes_in_use(), before + pool->block_size());
    larger.release(); // goes back to the heap (ASan would see a mismatch otherwise)
    block.release();
    EXPECT_EQ(pool->bytes_in_use(), before);
}

// Each thread fills its blocks with its own number and finds it unchanged when it returns
// them: no block is handed out twice, and each is aligned to 16 bytes.
TEST(QuickAllocatorImpl, EightThreadsTakeAndReturn)
{
    constexpr int size = 24;
    memory::quick_allocator_impl pool(size, 64, 0);
    EXPECT_EQ(pool.bytes_reserved(), 0u); // nothing until the first block is taken
    std::atomic<int> failures{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < 8; ++t) {
        workers.emplace_back([&, t] {
            std::vector<unsigned char*> mine;
            for (int r = 0; r < 2000; ++r) {
                auto* block = static_cast<unsigned char*>(pool.allocate());
                if (reinterpret_cast<std::uintptr_t>(block) % 16 != 0)
                    failures++;
                std::memset(block, t, size);
                mine.push_back(block);
                if (r % 3 != 2 && r != 1999)
                    continue; // return some while others are taking
                for (auto* b : mine) {
                    failures += std::count(b, b + size, t) != size;
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

TEST(MutableData, AppendReservesTwiceTheNewSizeAndReserveTruncates)
{
    auto block = memory::make_mutable_data();
    EXPECT_EQ(block->bytes(), nullptr);
    const char chunk[30] = "abcdefghijklmnopqrstuvwxyz012";
    // bytes appended, then the size and the capacity
    const u64 steps[][3] = {{10, 10, 20}, {20, 30, 60}, {30, 60, 60}, {1, 61, 122}, {0, 61, 122}};
    std::string expected;
    for (const auto& step : steps) {
        block->append(chunk, step[0]);
        expected.append(chunk, step[0]);
        EXPECT_EQ(block->size(), step[1]);
        EXPECT_EQ(block->capacity(), step[2]);
    }
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(block->bytes()), block->size()), expected);
    block->reserve(4); // below the size
    EXPECT_EQ(block->size(), 4u);
    EXPECT_EQ(block->capacity(), 4u);
    EXPECT_EQ(std::memcmp(block->bytes(), "abcd", 4), 0);
    block->reserve(0);
    EXPECT_EQ(block->size(), 0u);
    EXPECT_EQ(block->bytes(), nullptr);
}

// Counts its destructions so that tests can see when the last reference went.
struct counted : memory::reference_counter
{
    explicit counted(std::atomic<int>& deaths) : deaths_(deaths) {}
    ~counted() { deaths_++; }
    std::atomic<int>& deaths_;
};

// Copies of shared objects, and pooled blocks of their own, made and dropped on eight threads.
TEST(DataPtr, EightThreadsShareObjectsAndMakeBlocks)
{
    std::atomic<int> deaths{0};
    auto shared = memory::make_data_ptr<counted>(deaths);
    memory::shared_handle<counted> handle(new counted(deaths));
    auto* views = memory::data::class_allocator().pool();
    auto* copies = memory::growable_data::class_allocator().pool();
    const u64 in_use = views->bytes_in_use() + copies->bytes_in_use();
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([copy = shared, handle]() mutable {
            for (int i = 0; i < 20000; ++i) {
                memory::data_ptr<counted> local = copy;
                memory::data_ptr<counted> other = local;
                memory::shared_handle<counted> handle_copy = handle;
                memory::data_ptr<memory::data> view(new memory::data("x", 1));
                memory::data_ptr<memory::data> as_base = memory::make_data_copy("abc", 3);
            }
        });
    }
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(views->bytes_in_use() + copies->bytes_in_use(), in_use);
    EXPECT_EQ(shared->get_reference_count(), 1u);
    EXPECT_EQ(handle->get_reference_count(), 0u); // the handle never uses the object's count
    EXPECT_EQ(deaths.load(), 0);
    shared.release();
    shared.release(); // a null pointer is never touched
    handle.release();
    EXPECT_EQ(deaths.load(), 2);
}

} // namespace
