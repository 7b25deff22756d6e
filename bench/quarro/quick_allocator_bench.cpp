// The pooled allocator against plain new and delete, from 1 and 8 threads.
#include <quarro/memory/quick_allocator.h>

#include <benchmark/benchmark.h>

#include <array>

namespace {

struct pooled_object
{
    QUARRO_POOLED_CLASS(pooled_object, 1024, 0)
public:
    std::array<char, 48> payload{};
};

struct plain_object
{
    std::array<char, 48> payload{};
};

// Keeps a window of live objects so that both allocators see a realistic mix of
// taking and returning, not one block bouncing back and forth.
template <class T>
void allocate_and_free(benchmark::State& state)
{
    constexpr std::size_t window = 64;
    std::array<T*, window> live{};
    std::size_t next = 0;
    for (auto _ : state) {
        delete live[next];
        live[next] = new T;
        benchmark::DoNotOptimize(live[next]);
        next = (next + 1) % window;
    }
    for (T* object : live)
        delete object;
    state.SetItemsProcessed(state.iterations());
}

void BM_PooledNewDelete(benchmark::State& state)
{
    allocate_and_free<pooled_object>(state);
}

void BM_PlainNewDelete(benchmark::State& state)
{
    allocate_and_free<plain_object>(state);
}

BENCHMARK(BM_PooledNewDelete)->Threads(1)->Threads(8)->UseRealTime();
BENCHMARK(BM_PlainNewDelete)->Threads(1)->Threads(8)->UseRealTime();

} // namespace
