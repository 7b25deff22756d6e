// The firmware update through dsp_control against the local firmware service, up to the
// hand-over to the installation: the download into its version folder with stage-1 progress,
// resuming, the checksum, and the package removed when it doesn't match. The speaker is never
// touched.
#include <speaker_link/firmware/secure_crypto_data.h>

#include <support/bounded_thread.h>
#include <support/bounded_wait.h>
#include <support/firmware_fixture.h>
#include <support/service_behaviour.h>

#include <quarro/desktop/known_folders.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using test_support::answer_body;
using test_support::recording_callback;

constexpr std::size_t package_size = 300000;

std::string package_bytes(char seed)
{
    std::string bytes(package_size, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(seed + i * 13 + i / 509);
    return bytes;
}

std::string lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

memory::data_ptr<memory::data> block_of(const std::string& text)
{
    return memory::make_data_copy(text.data(), text.size());
}

class FirmwareUpdate : public FirmwareTest
{
protected:
    /// The firmware folder of a version in the panel's data folder.
    std::string version_folder(const std::string& version) const
    {
        return quarro::get_user_documents_path().get_path() + "/Velk Audio/Pellaro/firmware/K5R/" +
               version;
    }

    /// A search, answered as the service's behaviour says.
    void search(const std::string& expected = "firmware_update_available")
    {
        control->search_firmware_update();
        ASSERT_EQ(callback.next(), expected);
    }

    /// The number of progress reports, each of which must be of stage 1.
    static std::size_t progress_count(const std::vector<recording_callback::report>& reports)
    {
        std::size_t count = 0;
        for (const auto& r : reports)
            if (r.name == "firmware_update_progress") {
                EXPECT_EQ(r.number, 1) << "stage";
                ++count;
            }
        return count;
    }

    /// The package was checked and handed on: the placeholder installation reports kind 1.
    void expect_handed_over(const std::vector<recording_callback::report>& reports,
                            const std::string& version, const std::string& bytes)
    {
        ASSERT_FALSE(reports.empty());
        EXPECT_EQ(reports.front().name, "firmware_update_started");
        EXPECT_EQ(reports.back().name, "firmware_update_failed");
        EXPECT_EQ(reports.back().number, 1);
        EXPECT_TRUE(test_support::read_text(version_folder(version) + "/firmware.zip") == bytes);
        EXPECT_FALSE(fs::exists(version_folder(version) + "/firmware.zip.part"));
        expect_flash_unchanged();
    }
};

TEST(SecureCryptoData, DigestAndHexOfKnownBytes)
{
    EXPECT_EQ(hex_string(block_of("abc")), "616263");
    EXPECT_EQ(hex_string(secure_crypto_data::md5(block_of("abc"))),
              "900150983CD24FB0D6963F7D28E17F72");
    EXPECT_EQ(hex_string(secure_crypto_data::md5(block_of(""))), "");
    EXPECT_EQ(secure_crypto_data::md5(nullptr).get(), nullptr);
    EXPECT_EQ(hex_string(nullptr), "");
}

TEST_F(FirmwareUpdate, FreshDownloadReportsProgressThenAPresentPackageIsNotFetchedAgain)
{
    const std::string bytes = package_bytes('a');
    publish("1.0.9", bytes);
    search();
    const auto first = update();
    expect_handed_over(first, "1.0.9", bytes);
    ASSERT_GT(progress_count(first), 0u);
    const auto& last = first[first.size() - 2];
    EXPECT_EQ(last.total, package_size);
    EXPECT_EQ(last.done, package_size);

    const auto second = update();
    expect_handed_over(second, "1.0.9", bytes);
    EXPECT_EQ(progress_count(second), 0u);
    EXPECT_EQ(service->range_headers().size(), 1u) << "the present package was fetched again";
}

TEST_F(FirmwareUpdate, CutOffDownloadResumesInTheNextUpdateWithTheFullTotal)
{
    const std::string bytes = package_bytes('b');
    publish("1.0.9", bytes);
    search();
    firmware_service::behaviour cut;
    cut.close_after_bytes = 100000;
    service->set_behaviour(cut);
    const auto first = update();
    EXPECT_EQ(first.back().number, 1);
    EXPECT_TRUE(fs::exists(version_folder("1.0.9") + "/firmware.zip.part"));

    service->set_behaviour({});
    const auto second = update();
    expect_handed_over(second, "1.0.9", bytes);
    EXPECT_EQ(service->range_headers().back(), "bytes=100000-");
    ASSERT_GT(progress_count(second), 0u);
    EXPECT_EQ(second[1].total, package_size);
    EXPECT_GT(second[1].done, 100000u);
}

// Destroying the control must not wait for a service that holds the package back; what came
// stays for the next update.
TEST_F(FirmwareUpdate, DestroyingTheControlStopsADownloadAndKeepsItsResumeFile)
{
    publish("1.0.9", package_bytes('d'));
    search();
    firmware_service::behaviour stall;
    stall.stall_after_bytes = 100000;
    stall.stall_ms = 60000;
    service->set_behaviour(stall);
    control->update_firmware();
    const std::string resume = version_folder("1.0.9") + "/firmware.zip.resume.xml";
    ASSERT_TRUE(test_support::eventually([&] { return fs::exists(resume); }))
        << "waited for the download to begin";
    test_support::bounded_thread([&] {
        control.release();
    }).join_within(std::chrono::seconds(10), "destroying dsp_control during a download");
    while (callback.untaken() > 0)
        callback.next();
    EXPECT_EQ(callback.reports().back().name, "firmware_update_failed");
    EXPECT_EQ(callback.reports().back().number, 1);
    EXPECT_TRUE(fs::exists(resume));
}

// A download holds nothing of the speaker: a program closing meanwhile gives the update up at
// once, keeps what came, and the next start resumes it.
TEST_F(FirmwareUpdate, AQuitDuringTheDownloadIsAcceptedAndTheNextStartResumes)
{
    const std::string bytes = package_bytes('q');
    publish("1.0.9", bytes);
    search();
    firmware_service::behaviour stall;
    stall.stall_after_bytes = 100000;
    stall.stall_ms = 60000;
    service->set_behaviour(stall);
    speaker().clear_history();
    const std::size_t before = callback.count();
    control->update_firmware();
    const std::string partial = version_folder("1.0.9") + "/firmware.zip.part";
    ASSERT_TRUE(test_support::eventually([&] {
        return fs::exists(partial) && fs::file_size(partial) >= 100000;
    })) << "waited for the download to stall";
    EXPECT_TRUE(control->give_up_waiting_for_speaker()) << "a download held the speaker";
    const auto reports = outcome(callback, before);
    EXPECT_EQ(reports.front().name, "firmware_update_started");
    EXPECT_EQ(reports.back().name, "firmware_update_failed");
    EXPECT_EQ(reports.back().number, 1);
    EXPECT_TRUE(fs::exists(version_folder("1.0.9") + "/firmware.zip.resume.xml"));
    EXPECT_EQ(fs::file_size(partial), 100000u);
    EXPECT_EQ(speaker().open_count(), 0u) << "the given-up update reached for the speaker";

    // The next start of the program.
    control.release();
    service->set_behaviour({});
    control = memory::make_data_ptr<dsp_control>(callback);
    control->read_main_settings_from_device();
    ASSERT_EQ(callback.next(), "speaker_changed");
    search();
    expect_handed_over(update(), "1.0.9", bytes);
    EXPECT_EQ(service->range_headers().back(), "bytes=100000-");
}

// A program that must end without destroying the control (its display gone) gives a download
// up at once, as a quit does: what came stays for the next update, and the speaker is never
// touched.
TEST_F(FirmwareUpdate, FinishingStopsADownloadAndKeepsItsPartialFile)
{
    publish("1.0.9", package_bytes('f'));
    search();
    firmware_service::behaviour stall;
    stall.stall_after_bytes = 100000;
    stall.stall_ms = 60000;
    service->set_behaviour(stall);
    speaker().clear_history();
    const std::size_t before = callback.count();
    control->update_firmware();
    const std::string partial = version_folder("1.0.9") + "/firmware.zip.part";
    ASSERT_TRUE(test_support::eventually([&] {
        return fs::exists(partial) && fs::file_size(partial) >= 100000;
    })) << "waited for the download to stall";
    EXPECT_EQ(control->running_operations(), std::vector<std::string>{"the firmware update"});
    std::size_t reports_when_finished = 0;
    test_support::bounded_thread([&] {
        control->finish_operations();
        reports_when_finished = callback.count();
    }).join_within(std::chrono::seconds(10), "finishing during a stalled download");
    const auto reports = outcome(callback, before);
    EXPECT_EQ(reports_when_finished, before + reports.size())
        << "returned before the update had reported";
    EXPECT_EQ(reports.back().name, "firmware_update_failed");
    EXPECT_EQ(reports.back().number, 1);
    EXPECT_EQ(fs::file_size(partial), 100000u);
    EXPECT_TRUE(fs::exists(version_folder("1.0.9") + "/firmware.zip.resume.xml"));
    EXPECT_EQ(speaker().open_count(), 0u) << "the given-up update reached for the speaker";
    expect_flash_unchanged();
}

// The reply's checksum decides whether the downloaded package is kept. An address that names no
// file downloads nothing, and before any search there is no address at all.
TEST_F(FirmwareUpdate, ChecksumDecidesWhetherThePackageIsKept)
{
    EXPECT_EQ(update().back().number, 1);
    const std::string bytes = package_bytes('c');
    publish("1.0.9", bytes);
    const std::string file = R"("file":"\/firmware\/K5R\/1.0.9\/firmware.zip")";
    const struct
    {
        const char* name;
        std::string members;
        bool downloaded;
        bool kept;
    } cases[] = {
        {"no file named", R"("file":"\/firmware\/")", false, false},
        {"lower case", R"("checksum":")" + lower(firmware_service::md5_hex(bytes)) + "\"," + file,
         true, true},
        {"another digest", R"("checksum":")" + std::string(32, 'A') + "\"," + file, true, false},
        {"no checksum", file, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        service->set_behaviour(
            answer_body(R"({"model_number":"K5R","version_number":"1.0.9",)" + c.members + "}"));
        search();
        EXPECT_EQ(update().back().number, 1);
        EXPECT_EQ(fs::exists(quarro::get_user_documents_path().get_path() +
                             "/Velk Audio/Pellaro/firmware"),
                  c.downloaded);
        EXPECT_EQ(service->range_headers().empty(), !c.downloaded);
        EXPECT_EQ(fs::exists(version_folder("1.0.9") + "/firmware.zip"), c.kept);
        EXPECT_FALSE(fs::exists(version_folder("1.0.9") + "/firmware.zip.resume.xml"));
        expect_flash_unchanged();
    }
}

TEST_F(FirmwareUpdate, UpdatesOfTwoWindowsTakeTurnsAndTheSecondFindsTheFinishedPackage)
{
    const std::string bytes = package_bytes('d');
    publish("1.0.9", bytes);
    search();
    // The second window: a dsp_control of its own on the same speaker and data folder.
    recording_callback second_callback;
    auto second = memory::make_data_ptr<dsp_control>(second_callback);
    second->read_main_settings_from_device();
    ASSERT_EQ(second_callback.next(), "speaker_changed");
    second->search_firmware_update();
    ASSERT_EQ(second_callback.next(), "firmware_update_available");

    // The first update is held in its download while the second starts.
    held_download held;
    hold_download(held);
    const std::size_t before = callback.count();
    control->update_firmware();
    ASSERT_TRUE(held.downloading.wait());
    // A download holds nothing of the speaker: the second window reads it meanwhile.
    second->read_main_settings_from_device();
    EXPECT_EQ(second_callback.next(), "main_settings_read");
    second->update_firmware();
    const std::uint64_t polls = test_support::virtual_clock::sleep_count() + 3;
    EXPECT_TRUE(test_support::eventually([&] {
        return test_support::virtual_clock::sleep_count() >= polls;
    })) << "the second update did not wait for the first";
    // It has begun (the panel shows it) but waits for the first's download.
    EXPECT_EQ(second_callback.count(), 4u) << "the second update downloads beside the first";
    EXPECT_EQ(second_callback.reports().back().name, "firmware_update_started");
    EXPECT_TRUE(second->is_waiting_for_speaker()) << "the wait is not one that a quit gives up";
    held.go_on.open();

    expect_handed_over(outcome(callback, before), "1.0.9", bytes);
    const auto second_reports = outcome(second_callback, 3);
    expect_handed_over(second_reports, "1.0.9", bytes);
    EXPECT_EQ(progress_count(second_reports), 0u) << "the second update downloaded again";
    EXPECT_EQ(service->range_headers().size(), 1u);
    EXPECT_FALSE(fs::exists(version_folder("1.0.9") + "/firmware.zip.resume.xml"));
    second.release();
}

} // namespace
