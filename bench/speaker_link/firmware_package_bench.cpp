// Firmware packages: decoding a full 28-block Intel HEX image beside objcopy decoding the same
// file in the same run, a whole 3-block installation through the emulated speaker with its
// HID reports per 64 KB block beside the reports the programming algorithm implies, and the
// time a real speaker takes to erase and program one block.
#include <speaker_link/control/firmware_installation.h>
#include <speaker_link/control/firmware_programmer.h>
#include <speaker_link/device/dsp_session.h>
#include <speaker_link/dsp_control.h>
#include <speaker_link/firmware/intel_hex.h>

#include <emulated_speaker/speaker.h>

#include <support/connected_control.h>
#include <support/firmware_package_builder.h>
#include <support/private_home.h>
#include <support/recording_callback.h>
#include <support/speaker_time.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

namespace {

using test_support::hex_bytes;

// Every byte of the 28 firmware blocks, in records of 16 bytes: about 5 MB of text.
const std::string& full_image()
{
    static const std::string text = [] {
        std::vector<hex_bytes> pieces;
        for (std::uint32_t block = 0; block < firmware_block_count; ++block)
            pieces.push_back({block * bridge_protocol::flash_block_size_bytes,
                              test_support::counting_bytes(bridge_protocol::flash_block_size_bytes,
                                                           static_cast<std::uint8_t>(block))});
        return test_support::intel_hex(pieces);
    }();
    return text;
}

// A fresh folder under /tmp for the benchmark's files, removed afterwards.
struct scratch_folder
{
    scratch_folder()
    {
        std::string pattern = "/tmp/pellaro-bench-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        path = pattern;
    }
    ~scratch_folder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::string operator/(const std::string& name) const { return path + "/" + name; }
    std::string path;
};

double seconds_since(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The parser's time is the benchmark's; objcopy runs on the same file in each iteration.
void BM_ParseIntelHexBesideObjcopy(benchmark::State& state)
{
    const std::string& text = full_image();
    const scratch_folder folder;
    std::ofstream(folder / "image.hex", std::ios::binary) << text;
    const std::string command =
        "objcopy -I ihex -O binary " + folder / "image.hex" + " " + folder / "image.bin";
    double parse_seconds = 0;
    double objcopy_seconds = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        firmware_block_table blocks;
        parse_intel_hex(blocks, memory::data(text.data(), text.size()));
        benchmark::DoNotOptimize(blocks);
        const double parsed = seconds_since(start);
        state.SetIterationTime(parsed);
        parse_seconds += parsed;

        start = std::chrono::steady_clock::now();
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("objcopy failed");
        objcopy_seconds += seconds_since(start);
    }
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["hex_MB"] = static_cast<double>(text.size()) / 1e6;
    state.counters["parse_ms"] = 1e3 * parse_seconds / iterations;
    state.counters["objcopy_ms"] = 1e3 * objcopy_seconds / iterations;
    state.counters["objcopy_over_parse"] = objcopy_seconds / parse_seconds;
    state.SetBytesProcessed(static_cast<std::int64_t>(text.size()) * state.iterations());
}

// HID reports of one flash command step, counted as the bridge and flash routines send them
// (no busy replies, a status poll answered at once):
constexpr double write_enable_reports = 4;  // get and set settings, transfer, settings restored
constexpr double write_disable_reports = 3; // get and set settings, transfer
constexpr double wait_ready_reports = 4;    // get and set settings, a 2-byte exchange in 2 parts
constexpr double program_reports =          // one 36-byte page program transfer
    write_enable_reports + 2 + 1 + wait_ready_reports + write_disable_reports;
constexpr double read_back_reports = 2 + 2; // get and set settings, command then 32 data bytes
constexpr double erase_reports =
    write_enable_reports + 2 + 1 + wait_ready_reports + write_disable_reports;
constexpr double implied_reports_per_block =
    erase_reports + 2048 * (program_reports + read_back_reports);

void BM_InstallThreeBlockPackage(benchmark::State& state)
{
    bench_support::private_home();
    emulated_speaker::speaker& speaker = emulated_speaker::speaker::instance();
    speaker.reset("K5R");
    test_support::recording_callback callback;
    const auto control = bench_support::connected_control(state, callback);
    if (!control)
        return;
    const scratch_folder folder;
    test_support::write_zip(
        folder / "package.zip",
        {{"flash.json", R"({"version": "1.0.9", "firmware": "fw.hex"})"},
         {"fw.hex", test_support::intel_hex({{0x000000, {1}}, {0x010000, {2}}, {0x050000, {3}}})}});
    std::uint64_t reports = 0;
    for (auto _ : state) {
        speaker.clear_history();
        install_firmware_image(*control, files::filepath(folder / "package.zip"));
        reports = speaker.report_count();
    }
    constexpr double blocks = 3;
    state.counters["reports"] = static_cast<double>(reports);
    state.counters["reports_per_block"] = static_cast<double>(reports) / blocks;
    state.counters["implied_per_block"] = implied_reports_per_block;
    state.counters["time_per_report"] = benchmark::Counter(
        static_cast<double>(reports),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// One 64 KB block erased, programmed and read back, as an update does it for each block.
void BM_ProgramOneFirmwareBlock(benchmark::State& state)
{
    bench_support::private_home();
    emulated_speaker::speaker::instance().reset("K5R");
    test_support::recording_callback callback;
    auto control = memory::make_data_ptr<dsp_control>(callback);
    firmware_block_table blocks;
    const std::vector<std::uint8_t> bytes =
        test_support::counting_bytes(bridge_protocol::flash_block_size_bytes, 7);
    blocks[1] = memory::make_data_copy(bytes.data(), bytes.size());
    bench_support::run_on_speaker(state, [&] {
        const dsp_session_guard session;
        program_firmware_blocks(session.session(), blocks, callback, *control);
    });
}

BENCHMARK(BM_ParseIntelHexBesideObjcopy)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InstallThreeBlockPackage)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ProgramOneFirmwareBlock)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
