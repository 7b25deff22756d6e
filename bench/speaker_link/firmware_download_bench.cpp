// The firmware package's download and checksum, each beside its command-line counterpart in the
// same run: a 16 MiB download with quarro::download_job and with `curl -s -o`, and the MD5 of
// 64 MiB with secure_crypto_data::md5 and with `md5sum`. Each reports both times and the ratio.
#include <speaker_link/firmware/secure_crypto_data.h>

#include <support/bench_environment.h>

#include <quarro/http/download_job.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <fstream>

namespace {

using clock_type = std::chrono::steady_clock;

double seconds_since(clock_type::time_point start)
{
    return std::chrono::duration<double>(clock_type::now() - start).count();
}

void report_pair(benchmark::State& state, double ours, double theirs, const char* other)
{
    const double runs = static_cast<double>(state.iterations());
    state.counters["ours_ms"] = 1000.0 * ours / runs;
    state.counters[std::string(other) + "_ms"] = 1000.0 * theirs / runs;
    state.counters["ratio"] = theirs > 0 ? ours / theirs : 0;
}

void BM_DownloadBesideCurl(benchmark::State& state)
{
    constexpr std::size_t size = 16 * 1024 * 1024;
    bench_support::local_service local(size);
    bench_support::scratch_folder target;
    const std::string url = local.service->base_address() + "/firmware/K5R/1.0.9/firmware.zip";
    double ours = 0;
    double theirs = 0;
    for (auto _ : state) {
        std::filesystem::remove(target.path + "/firmware.zip");
        auto start = clock_type::now();
        const memory::data_ptr<quarro::download_job> job(
            new quarro::download_job(files::filepath(target.path), url));
        job->run();
        ours += seconds_since(start);
        if (!job->is_done())
            state.SkipWithError("the download did not finish");
        start = clock_type::now();
        if (!bench_support::run_command("curl -s -o " + target.path + "/curl.zip " + url))
            state.SkipWithError("curl failed");
        theirs += seconds_since(start);
    }
    report_pair(state, ours, theirs, "curl");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

void BM_Md5BesideMd5sum(benchmark::State& state)
{
    constexpr std::size_t size = 64 * 1024 * 1024;
    bench_support::scratch_folder folder;
    const std::string path = folder.path + "/package.bin";
    auto block = memory::make_mutable_data(size);
    block->resize(size);
    for (std::size_t i = 0; i < size; ++i)
        block->mutable_bytes()[i] = static_cast<quarro::u8>(i * 7 + i / 251);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(block->bytes()), static_cast<std::streamsize>(size));
    const memory::data_ptr<memory::data> content = block;
    double ours = 0;
    double theirs = 0;
    for (auto _ : state) {
        auto start = clock_type::now();
        benchmark::DoNotOptimize(hex_string(secure_crypto_data::md5(content)));
        ours += seconds_since(start);
        start = clock_type::now();
        if (!bench_support::run_command("md5sum " + path + " > /dev/null"))
            state.SkipWithError("md5sum failed");
        theirs += seconds_since(start);
    }
    report_pair(state, ours, theirs, "md5sum");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

} // namespace

BENCHMARK(BM_DownloadBesideCurl)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_Md5BesideMd5sum)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
