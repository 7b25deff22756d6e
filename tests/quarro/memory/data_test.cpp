// Data blocks, intrusive and shared references.
#include <quarro/memory/data.h>
#include <quarro/memory/shared_handle.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

using quarro::u64;

TEST(MutableData, AppendReservesTwiceTheNewSize)
{
    auto block = memory::make_mutable_data();
    EXPECT_EQ(block->bytes(), nullptr);
    const char chunk[30] = "abcdefghijklmnopqrstuvwxyz012";
    const struct
    {
        u64 n;
        u64 size;
        u64 capacity;
    } steps[] = {{10, 10, 20}, {20, 30, 60}, {30, 60, 60}, {1, 61, 122}, {0, 61, 122}};
    std::string expected;
    for (const auto& step : steps) {
        block->append(chunk, step.n);
        expected.append(chunk, step.n);
        EXPECT_EQ(block->size(), step.size);
        EXPECT_EQ(block->capacity(), step.capacity);
    }
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(block->bytes()), block->size()), expected);
}

TEST(MutableData, ReserveBelowTheSizeTruncates)
{
    auto block = memory::make_data_copy("0123456789", 10);
    block->reserve(4);
    EXPECT_EQ(block->size(), 4u);
    EXPECT_EQ(block->capacity(), 4u);
    EXPECT_EQ(std::memcmp(block->bytes(), "0123", 4), 0);
    block->reserve(0);
    EXPECT_EQ(block->size(), 0u);
    EXPECT_EQ(block->bytes(), nullptr);
    block->reserve(25);
    block->resize(10);
    EXPECT_EQ(block->capacity(), 25u);
    EXPECT_EQ(block->size(), 10u);
}

// Counts its destructions so that tests can see when the last reference went.
struct counted : memory::reference_counter
{
    explicit counted(std::atomic<int>& deaths) : deaths_(deaths) {}
    ~counted() { deaths_++; }
    std::atomic<int>& deaths_;
};

TEST(DataPtr, LastReferenceDeletes)
{
    std::atomic<int> deaths{0};
    memory::data_ptr<counted> a(new counted(deaths));
    {
        memory::data_ptr<counted> b = a;
        memory::data_ptr<counted> c = std::move(b);
        EXPECT_EQ(a->get_reference_count(), 2u);
    }
    EXPECT_EQ(a->get_reference_count(), 1u);
    a.release();
    EXPECT_EQ(deaths.load(), 1);
    a.release(); // a null pointer is never touched
    EXPECT_EQ(deaths.load(), 1);
}

// Copies of one object, and pooled blocks of their own, made and dropped on eight threads.
TEST(DataPtr, EightThreadsShareOneObjectAndMakeBlocks)
{
    std::atomic<int> deaths{0};
    auto shared = memory::make_data_ptr<counted>(deaths);
    auto* views = memory::data::class_allocator().pool();
    auto* copies = memory::growable_data::class_allocator().pool();
    const u64 in_use = views->bytes_in_use() + copies->bytes_in_use();
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([copy = shared]() mutable {
            for (int i = 0; i < 20000; ++i) {
                memory::data_ptr<counted> local = copy;
                memory::data_ptr<counted> other = local;
                memory::data_ptr<memory::data> view(new memory::data("x", 1));
                memory::data_ptr<memory::data> as_base = memory::make_data_copy("abc", 3);
            }
        });
    }
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(views->bytes_in_use() + copies->bytes_in_use(), in_use);
    EXPECT_EQ(shared->get_reference_count(), 1u);
    EXPECT_EQ(deaths.load(), 0);
    shared.release();
    EXPECT_EQ(deaths.load(), 1);
}

struct plain
{
    explicit plain(std::atomic<int>& deaths) : deaths_(deaths) {}
    ~plain() { deaths_++; }
    std::atomic<int>& deaths_;
};

TEST(SharedHandle, CountsWithoutTheObjectsHelp)
{
    std::atomic<int> deaths{0};
    memory::shared_handle<plain> a(new plain(deaths));
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([a] {
            for (int i = 0; i < 5000; ++i)
                memory::shared_handle<plain> copy = a;
        });
    }
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(a.use_count(), 1u);
    memory::shared_handle<plain> b = a;
    a.release();
    EXPECT_EQ(deaths.load(), 0);
    b.release();
    EXPECT_EQ(deaths.load(), 1);
    EXPECT_EQ(memory::shared_handle<plain>(nullptr).use_count(), 0u);
}

} // namespace
