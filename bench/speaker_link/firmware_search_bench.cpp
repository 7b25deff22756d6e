// The firmware search end to end (request, parse, compare) against the local firmware service,
// beside `curl -s` of the same address; and the JSON token reader's throughput over 1 MiB.
#include <speaker_link/dsp_control.h>
#include <speaker_link/firmware/json_token.h>

#include <support/bench_environment.h>

#include <emulated_speaker/speaker.h>

#include <benchmark/benchmark.h>

#include <future>
#include <string>

namespace {

// Waits for the search's one report.
class search_callback : public dsp_control_callback
{
public:
    std::promise<std::string> report;

    void firmware_update_available(dsp_control&, const std::string&) override
    {
        report.set_value("available");
    }
    void firmware_up_to_date(dsp_control&) override { report.set_value("up to date"); }
    void firmware_search_failed(dsp_control&) override { report.set_value("failed"); }
    void speaker_changed(dsp_control&) override { report.set_value("read"); }
    void main_settings_read(dsp_control&) override { report.set_value("read"); }
    void main_settings_read_failed(dsp_control&) override { report.set_value("read failed"); }
    void user_preset_read(dsp_control&) override {}
    void user_preset_read_failed(dsp_control&) override {}
    void user_preset_written(dsp_control&) override {}
    void user_preset_write_failed(dsp_control&) override {}
    void device_reset(dsp_control&) override {}
    void device_reset_failed(dsp_control&) override {}
    void main_settings_written(dsp_control&) override {}
    void main_settings_write_failed(dsp_control&) override {}
    void firmware_update_started(dsp_control&) override {}
    void firmware_update_progress(dsp_control&, int, quarro::u64, quarro::u64) override {}
    void firmware_update_succeeded(dsp_control&) override {}
    void firmware_update_failed(dsp_control&, int) override {}

    std::string next()
    {
        std::string text = report.get_future().get();
        report = std::promise<std::string>();
        return text;
    }
};

void BM_FirmwareSearch(benchmark::State& state)
{
    bench_support::private_home();
    emulated_speaker::speaker::instance().reset("K5R");
    bench_support::local_service local(1024);
    search_callback callback;
    {
        const memory::data_ptr<dsp_control> control(new dsp_control(callback));
        control->read_main_settings_from_device();
        callback.next();
        for (auto _ : state) {
            control->search_firmware_update();
            if (callback.next() != "available")
                state.SkipWithError("the search did not find the package");
        }
    }
}

void BM_CurlOfTheSameAddress(benchmark::State& state)
{
    bench_support::local_service local(1024);
    const std::string command = "curl -s -o /dev/null " + local.service->base_address() +
                                "/wp-json/api/firmware/K5R/latest";
    for (auto _ : state)
        if (!bench_support::run_command(command))
            state.SkipWithError("curl failed");
}

void BM_JsonTokenReader(benchmark::State& state)
{
    std::string text = "[";
    while (text.size() < 1024 * 1024)
        text += R"({"model_number":"K5R","version_number":"1.0.9","size":12345,"ok":true},)";
    text += "null]";
    for (auto _ : state) {
        std::size_t tokens = 0;
        walk_json_tokens(text.data(), text.data() + text.size(),
                         [&](const json_token&, const char*&) { ++tokens; });
        benchmark::DoNotOptimize(tokens);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

} // namespace

BENCHMARK(BM_FirmwareSearch)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CurlOfTheSameAddress)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JsonTokenReader)->Unit(benchmark::kMicrosecond);
