// The fixture of the firmware tests: the emulated speaker, a dsp_control that has read it, and
// a local firmware service on 127.0.0.1 serving a fresh folder, which PELLARO_FIRMWARE_SERVICE
// points the product at; and the log the control writes.
#pragma once

#include <support/emulated_speaker_fixture.h>
#include <support/environment_variable.h>
#include <support/recording_callback.h>
#include <support/temporary_folder.h>

#include <firmware_service/service.h>
#include <quarro/log/logbook.h>
#include <speaker_link/dsp_control.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

class FirmwareTest : public EmulatedSpeakerTest
{
protected:
    void SetUp() override
    {
        EmulatedSpeakerTest::SetUp();
        service = std::make_unique<firmware_service::service>(packages.path());
        address.set(service->base_address());
        control = memory::make_data_ptr<dsp_control>(callback);
        control->read_main_settings_from_device();
        ASSERT_EQ(callback.next(), "speaker_changed");
    }

    void TearDown() override
    {
        control.release(); // waits for every worker
        service.reset();
        EXPECT_EQ(callback.untaken(), 0u) << "a report the test did not expect";
        EmulatedSpeakerTest::TearDown();
    }

    /// Puts a package into the service's folder: <model>/<version>/<name>.
    void publish(const std::string& version, const std::string& bytes,
                 const std::string& name = "firmware.zip", const std::string& model = "K5R")
    {
        const std::string folder = packages / model + "/" + version;
        std::filesystem::create_directories(folder);
        test_support::write_text(folder + "/" + name, bytes);
    }

    /// An update's download held at its first progress report: `downloading` opens when it is
    /// held there, and it goes on once the test opens `go_on`.
    struct held_download
    {
        test_support::test_latch downloading;
        test_support::test_latch go_on;
    };

    /// Holds the next update's download as `hold` says (until the test clears the action).
    void hold_download(held_download& hold)
    {
        callback.on("firmware_update_progress", [&hold](dsp_control&) {
            hold.downloading.open();
            hold.go_on.wait();
        });
    }

    /// Runs an update to its outcome; returns every report of it, the outcome last ("(no
    /// report)" when none came within the callback's limit).
    std::vector<test_support::recording_callback::report> update()
    {
        const std::size_t before = callback.count();
        control->update_firmware();
        return outcome(callback, before);
    }

    /// Waits for the outcome of an update that `reports` has reported from report `from` on;
    /// returns those reports, the outcome last, as update() does.
    static std::vector<test_support::recording_callback::report>
    outcome(test_support::recording_callback& reports, std::size_t from)
    {
        std::string name;
        while (name != "firmware_update_failed" && name != "firmware_update_succeeded" &&
               name != "(no report)")
            name = reports.next();
        const auto all = reports.reports();
        std::vector<test_support::recording_callback::report> mine(
            all.begin() + static_cast<long>(from), all.end());
        if (name == "(no report)")
            mine.push_back({name, {}});
        return mine;
    }

    /// The run's log file as it is now; empty before its first line.
    static std::string log_text()
    {
        return test_support::read_text(quarro::logbook::instance().get_log_file().get_path());
    }

    /// The log's lines of a level that tells of a failure (error or warning) in `text`.
    static std::size_t failure_lines(const std::string& text)
    {
        std::size_t count = 0;
        for (const char* level : {" (error)\t\t", " (warning)\t\t"})
            for (std::size_t at = text.find(level); at != std::string::npos;
                 at = text.find(level, at + 1))
                ++count;
        return count;
    }

    test_support::temporary_folder packages;
    std::unique_ptr<firmware_service::service> service;
    test_support::environment_variable address{"PELLARO_FIRMWARE_SERVICE", std::nullopt};
    test_support::recording_callback callback;
    memory::data_ptr<dsp_control> control;
};
