// The preloaded emulated speaker in real time: linked with Debian's hidapi and run with
// libpellaro_emulated_speaker.so preloaded, as a demonstration or an end-to-end test runs the
// panel, it times a settings read, a settings write and a one-block firmware installation on
// the wall clock. Without the preloaded speaker every benchmark stops with an error.
#include <speaker_link/control/firmware_installation.h>
#include <speaker_link/device/bridge_protocol.h>
#include <speaker_link/dsp_control.h>
#include <speaker_link/settings/settings_block.h>

#include <support/connected_control.h>
#include <support/firmware_package_builder.h>
#include <support/private_home.h>
#include <support/recording_callback.h>

#include <benchmark/benchmark.h>

#include <hidapi/hidapi.h>

namespace {

bool speaker_attached(benchmark::State& state)
{
    bench_support::private_home();
    hid_device_info* devices =
        hid_enumerate(bridge_protocol::vendor_id, bridge_protocol::product_id);
    const bool found = devices != nullptr;
    hid_free_enumeration(devices);
    if (!found)
        state.SkipWithError("no speaker; run with libpellaro_emulated_speaker.so preloaded");
    return found;
}

void BM_PreloadedReadSettingsBlock(benchmark::State& state)
{
    if (!speaker_attached(state))
        return;
    for (auto _ : state)
        benchmark::DoNotOptimize(read_settings_block());
}

void BM_PreloadedWriteSettingsBlock(benchmark::State& state)
{
    if (!speaker_attached(state))
        return;
    const device_settings settings = read_settings_block();
    for (auto _ : state)
        write_settings_block(settings);
}

// What the update worker does once the package is downloaded: read the package, erase and
// program the block with read-back, write the new version into the settings block.
void BM_PreloadedInstallOneBlock(benchmark::State& state)
{
    if (!speaker_attached(state))
        return;
    test_support::recording_callback callback;
    const auto control = bench_support::connected_control(state, callback);
    if (!control)
        return;
    const bench_support::scratch_folder folder;
    const std::string package = folder.path + "/package.zip";
    test_support::write_zip(
        package, {{"flash.json", R"({"version": "1.0.9", "firmware": "fw.hex"})"},
                  {"fw.hex", test_support::intel_hex(
                                 {{0x010000, test_support::counting_bytes(0x10000, 3)}})}});
    for (auto _ : state)
        install_firmware_image(*control, files::filepath(package));
}

BENCHMARK(BM_PreloadedReadSettingsBlock)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PreloadedWriteSettingsBlock)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PreloadedInstallOneBlock)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace
