// The fixture of the firmware installation tests: a dsp_control that has read the emulated
// speaker, packages written into a fresh folder, and checks of the whole flash afterwards.
#pragma once

#include <speaker_link/control/firmware_installation.h>
#include <speaker_link/dsp_control.h>
#include <speaker_link/firmware/intel_hex.h>

#include <support/emulated_speaker_fixture.h>
#include <support/firmware_package_builder.h>
#include <support/recording_callback.h>
#include <support/temporary_folder.h>

#include <quarro/log/logbook.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace test_support {

/// Records the progress reports apart, so that the next report is the update's outcome.
class progress_callback : public recording_callback
{
public:
    /// Stage, total and done of one progress report.
    using step = std::tuple<int, std::uint64_t, std::uint64_t>;

    void firmware_update_progress(dsp_control&, int stage, quarro::u64 total,
                                  quarro::u64 done) override
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        steps_.push_back({stage, total, done});
    }
    std::vector<step> steps() const
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        return steps_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<step> steps_;
};

} // namespace test_support

class FirmwareInstall : public EmulatedSpeakerTest
{
protected:
    static constexpr std::uint32_t settings_address = 0x1D0000;
    static constexpr std::uint32_t version_offset = 126 * 4;

    void SetUp() override
    {
        EmulatedSpeakerTest::SetUp();
        connect();
    }

    /// A new dsp_control reads the attached speaker, whose flash, version and log from now on
    /// are what the checks compare with (after attach(), for a speaker of another model).
    void connect()
    {
        control = memory::make_data_ptr<dsp_control>(callback);
        ASSERT_EQ((control->read_main_settings_from_device(), callback.next()), "speaker_changed");
        old_version = control->get_firmware_version();
        old_version_words = speaker().settings().firmware_version;
        old_plain = speaker().plain(0, static_cast<std::uint32_t>(factory_image().size()));
        speaker().clear_history();
        std::error_code no_log;
        log_start_ = std::filesystem::file_size(
            quarro::logbook::instance().get_log_file().get_path(), no_log);
        if (no_log)
            log_start_ = 0;
    }

    void TearDown() override
    {
        control.release();
        EmulatedSpeakerTest::TearDown();
    }

    /// Writes the package and installs it on this thread; exceptions pass.
    void install(const std::map<std::string, std::string>& entries)
    {
        test_support::write_zip(folder / "package.zip", entries);
        install_firmware_image(*control, files::filepath(folder / "package.zip"));
    }

    /// A package of "flash.json" and one firmware image.
    static std::map<std::string, std::string> firmware_only(const std::string& hex,
                                                            const std::string& version = "1.0.9")
    {
        return {{"flash.json", "{\"version\": \"" + version + "\", \"firmware\": \"fw.hex\"}"},
                {"fw.hex", hex}};
    }

    /// The flash holds the plain bytes in the touched blocks (0x00 where nothing was given),
    /// the version words 126-128 in the settings block, and everything else as before.
    void expect_flash(const std::vector<std::uint32_t>& blocks,
                      const std::vector<test_support::hex_bytes>& plain,
                      const std::array<std::uint32_t, 3>& version)
    {
        std::vector<std::uint8_t> expected = old_plain;
        for (const std::uint32_t block : blocks)
            std::fill_n(expected.begin() + block * bridge_protocol::flash_block_size_bytes,
                        bridge_protocol::flash_block_size_bytes, 0);
        for (const auto& piece : plain)
            std::copy(piece.bytes.begin(), piece.bytes.end(), expected.begin() + piece.address);
        for (std::size_t i = 0; i < 3; ++i)
            for (std::size_t b = 0; b < 4; ++b)
                expected[settings_address + version_offset + 4 * i + b] =
                    static_cast<std::uint8_t>(version[i] >> (8 * b));
        const std::vector<std::uint8_t> now =
            speaker().plain(0, static_cast<std::uint32_t>(expected.size()));
        for (std::size_t i = 0; i < now.size(); ++i)
            if (now[i] != expected[i]) {
                ADD_FAILURE() << "flash byte 0x" << std::hex << i << " is 0x" << int{now[i]}
                              << ", expected 0x" << int{expected[i]};
                return;
            }
    }

    /// Erase commands of firmware blocks the flash saw.
    static std::size_t erase_count()
    {
        return flash_commands_with(0xD8,
                                   firmware_block_count * bridge_protocol::flash_block_size_bytes)
            .size();
    }

    /// The update's log lines written since the test began, each from its message text on.
    std::vector<std::string> update_log() const
    {
        std::ifstream in(quarro::logbook::instance().get_log_file().get_path(), std::ios::binary);
        in.seekg(static_cast<std::streamoff>(log_start_));
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            for (const char* start : {"updating firmware", "erasing block", "writing block",
                                      "firmware update successful", "retrying block"})
                if (const std::size_t at = line.find(start); at != std::string::npos) {
                    lines.push_back(line.substr(at));
                    break;
                }
        }
        return lines;
    }

    test_support::progress_callback callback;
    memory::data_ptr<dsp_control> control;
    test_support::temporary_folder folder;
    std::string old_version;
    std::array<std::uint32_t, 3> old_version_words{};
    std::vector<std::uint8_t> old_plain; ///< the whole flash, plain, before the test
    std::uintmax_t log_start_ = 0;
};
