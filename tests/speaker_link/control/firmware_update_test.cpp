// The firmware update through dsp_control against the local firmware service, up to the
// hand-over to the installation: the download into its version folder with stage-1 progress,
// resuming, starting afresh when the package changed on the service, the reasons of failed
// downloads in the log, the checksum, and the package removed when it doesn't match. The
// speaker is never touched.
#include <speaker_link/firmware/secure_crypto_data.h>

#include <support/bounded_thread.h>
#include <support/bounded_wait.h>
#include <support/firmware_fixture.h>
#include <support/service_behaviour.h>

#include <support/file_size_limit.h>
#include <support/without_permission_override.h>

#include <quarro/desktop/known_folders.h>
#include <quarro/http/resume_file.h>
#include <quarro/log/logbook.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

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

// The text with the characters that a regular expression gives a meaning escaped.
std::string quoted(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        if (std::strchr("\\^$.|?*+()[]{}", c) != nullptr)
            out += '\\';
        out += c;
    }
    return out;
}

/// True when nobody holds the lock on the folder now.
bool folder_lock_is_free(const std::string& folder)
{
    const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool taken = descriptor >= 0 && ::flock(descriptor, LOCK_EX | LOCK_NB) == 0;
    if (descriptor >= 0)
        ::close(descriptor);
    return taken;
}

class FirmwareUpdate : public FirmwareTest
{
protected:
    /// A second window on the same speaker and data folder: a dsp_control of its own that has
    /// read the speaker and been offered the update.
    memory::data_ptr<dsp_control> second_window(recording_callback& reports)
    {
        auto second = memory::make_data_ptr<dsp_control>(reports);
        second->read_main_settings_from_device();
        EXPECT_EQ(reports.next(), "speaker_changed");
        second->search_firmware_update();
        EXPECT_EQ(reports.next(), "firmware_update_available");
        return second;
    }

    /// The service's packages stop for a minute after their first 100000 bytes.
    static firmware_service::behaviour stall_after_100000_bytes()
    {
        firmware_service::behaviour stall;
        stall.stall_after_bytes = 100000;
        stall.stall_ms = 60000;
        return stall;
    }

    /// Starts an update whose download stops after 100000 bytes, the speaker's history cleared,
    /// and returns once `partial` holds them; the result is the callback's report count before
    /// the update.
    std::size_t start_stalled_update(const std::string& partial)
    {
        service->set_behaviour(stall_after_100000_bytes());
        speaker().clear_history();
        const std::size_t before = callback.count();
        control->update_firmware();
        EXPECT_TRUE(test_support::eventually([&] {
            return fs::exists(partial) && fs::file_size(partial) >= 100000;
        })) << "waited for the download to stall";
        return before;
    }

    /// Starts an update and returns once its download is held at its first progress report;
    /// the result is the callback's report count before the update.
    std::size_t start_held_update(held_download& held)
    {
        hold_download(held);
        const std::size_t before = callback.count();
        control->update_firmware();
        EXPECT_TRUE(held.downloading.wait()) << "the download never began";
        return before;
    }

    /// The resume file of a download of `url` in `folder` that had `received` of `total` bytes.
    static void write_resume_file(const std::string& folder, const std::string& url,
                                  quarro::i64 total, quarro::u64 received)
    {
        const auto printed = quarro::print_resume_record({url, total, received});
        test_support::write_text(
            folder + "/firmware.zip.resume.xml",
            std::string(reinterpret_cast<const char*>(printed->bytes()), printed->size()));
    }

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

// A package that the service published again since an update was cut off is fetched afresh
// in the next update: the partial file of the old one is dropped, whether the new one ends
// before it (416), its Content-Range names another total, or the range is ignored (200); the
// log tells why, and nothing of the old file is left.
TEST_F(FirmwareUpdate, APackagePublishedAgainIsFetchedAfreshInTheSameUpdate)
{
    const std::string bytes = package_bytes('n');
    publish("1.0.9", bytes);
    const std::string old_bytes = package_bytes('o') + package_bytes('p').substr(0, 100000);
    firmware_service::behaviour ignore_range;
    ignore_range.ignore_range = true;
    // name, the bytes of the old package in the partial file, the service's behaviour, what the
    // log says of the change
    const std::tuple<const char*, std::size_t, firmware_service::behaviour, std::string> cases[] = {
        {"smaller than the partial file", 350000, {}, "the file is now 300000 bytes, not 400000"},
        {"another total", 100000, {}, "the file is now 300000 bytes, not 400000"},
        {"the whole file for a range", 100000, ignore_range,
         "the server sent the whole file instead of the rest from byte 100000"},
    };
    const std::string folder = version_folder("1.0.9");
    const std::string url = service->base_address() + "/firmware/K5R/1.0.9/firmware.zip";
    for (const auto& [name, kept, b, change] : cases) {
        SCOPED_TRACE(name);
        fs::remove_all(folder);
        fs::create_directories(folder);
        test_support::write_text(folder + "/firmware.zip.part", old_bytes.substr(0, kept));
        write_resume_file(folder, url, 400000, kept);
        service->set_behaviour({});
        search();
        service->set_behaviour(b);
        const std::size_t logged_before = log_text().size();
        const std::size_t asked_before = service->range_headers().size();

        const auto reports = update();
        expect_handed_over(reports, "1.0.9", bytes);
        EXPECT_FALSE(fs::exists(folder + "/firmware.zip.resume.xml"));
        const std::vector<std::string> all = service->range_headers();
        const std::vector<std::string> asked(all.begin() + static_cast<long>(asked_before),
                                             all.end());
        EXPECT_EQ(asked, (std::vector<std::string>{"bytes=" + std::to_string(kept) + "-", ""}));
        ASSERT_GT(progress_count(reports), 0u);
        EXPECT_EQ(reports[1].total, package_size);
        EXPECT_NE(log_text().find(" (info)\t\t" + url +
                                      " changed on the server since its download began: " + change +
                                      "; downloading it afresh\r\n",
                                  logged_before),
                  std::string::npos)
            << log_text().substr(logged_before);
    }
}

// A 416 for a partial file that holds the recorded total finishes the download: the checksum
// then finds that the file is not the service's package, removes it, and the next update
// fetches the package anew.
TEST_F(FirmwareUpdate, A416ForACompletePartialFileLeavesTheVerdictToTheChecksum)
{
    const std::string bytes = package_bytes('s');
    publish("1.0.9", bytes);
    const std::string folder = version_folder("1.0.9");
    const std::string url = service->base_address() + "/firmware/K5R/1.0.9/firmware.zip";
    fs::create_directories(folder);
    test_support::write_text(folder + "/firmware.zip.part", package_bytes('t'));
    write_resume_file(folder, url, package_size, package_size);
    search();

    const auto first = update();
    EXPECT_EQ(first.back().name, "firmware_update_failed");
    EXPECT_EQ(first.back().number, 1);
    EXPECT_EQ(progress_count(first), 0u);
    EXPECT_EQ(service->range_headers(), std::vector<std::string>{"bytes=300000-"});
    for (const char* file : {"firmware.zip", "firmware.zip.part", "firmware.zip.resume.xml"})
        EXPECT_FALSE(fs::exists(folder + "/" + file)) << file;
    EXPECT_NE(log_text().find("The firmware package's checksum " +
                              firmware_service::md5_hex(package_bytes('t')) +
                              " differs from the service's " + firmware_service::md5_hex(bytes)),
              std::string::npos)
        << log_text();

    expect_handed_over(update(), "1.0.9", bytes);
    EXPECT_EQ(service->range_headers().back(), "");
}

// A download that fails says why in the log, once, in a user's words; the status row's short
// text (kind 1) is unchanged.
TEST_F(FirmwareUpdate, AFailedDownloadLogsWhy)
{
    publish("1.0.9", package_bytes('w'));
    const std::string folder = version_folder("1.0.9");
    const std::string partial = folder + "/firmware.zip.part";
    const std::string url = service->base_address() + "/firmware/K5R/1.0.9/firmware.zip";
    const firmware_service::behaviour stall = stall_after_100000_bytes();
    struct failure_case
    {
        const char* name;
        firmware_service::behaviour behaviour;
        // Puts into the version folder what the update finds there.
        std::function<void()> prepare;
        // What the log line after "The firmware download failed: " matches.
        std::string reason;
        std::optional<rlim_t> file_size_limit;
        bool stalls = false;
        bool service_gone = false;
    };
    const failure_case cases[] = {
        {"404",
         test_support::answer_status(404),
         [] {},
         quoted("HTTP status 404 (" + url + ")"),
         {}},
        {"a 416 that stays",
         test_support::answer_status(416),
         [&] {
             test_support::write_text(partial, package_bytes('w').substr(0, 100000));
             write_resume_file(folder, url, package_size, 100000);
         },
         quoted("HTTP status 416 (" + url + ")"),
         {}},
        {"a file-size limit",
         {},
         [] {},
         quoted("cannot write " + partial + ": File too large"),
         100000},
        {"a full volume",
         {},
         [&] {
             fs::create_symlink("/dev/full", partial);
             write_resume_file(folder, url, package_size, 0);
         },
         quoted("cannot write " + partial + ": No space left on device"),
         {}},
        {"the watchdog", stall, [] {}, "(no data for|only [0-9]+ bytes in) 60001 ms", {}, true},
        {"a refused connection",
         {},
         [] {},
         quoted("Couldn't connect to server: Failed to connect to 127.0.0.1 port " +
                std::to_string(service->port())) +
             " .*" + quoted(" (" + url + ")"),
         {},
         false,
         true},
    };
    for (const failure_case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(folder);
        fs::create_directories(folder);
        c.prepare();
        service->set_behaviour({});
        search();
        service->set_behaviour(c.behaviour);
        if (c.service_gone)
            service.reset();
        const std::size_t logged_before = log_text().size();
        std::optional<test_support::file_size_limit> limit;
        if (c.file_size_limit)
            limit.emplace(*c.file_size_limit);
        const std::size_t before = callback.count();
        control->update_firmware();
        if (c.stalls) {
            ASSERT_TRUE(test_support::eventually([&] {
                std::error_code missing;
                return fs::file_size(partial, missing) >= 100000 && !missing;
            })) << "waited for the download to stall";
            // The watchdog has seen the last byte once it looks at the time again.
            const std::uint64_t looks = test_support::virtual_clock::read_count();
            ASSERT_TRUE(test_support::eventually([&] {
                return test_support::virtual_clock::read_count() > looks;
            })) << "waited for the watchdog to look at the time";
            test_support::virtual_clock::advance_to(test_support::virtual_clock::now_ms() + 60001);
        }
        const auto reports = outcome(callback, before);
        limit.reset();
        EXPECT_EQ(reports.back().name, "firmware_update_failed");
        EXPECT_EQ(reports.back().number, 1);
        expect_flash_unchanged();
        const std::string log = log_text().substr(logged_before);
        EXPECT_EQ(failure_lines(log), 1u) << log;
        EXPECT_THAT(log, ::testing::ContainsRegex(
                             " \\(error\\)\t\tThe firmware download failed: " + c.reason + "\r\n"));
    }
}

// Destroying the control must not wait for a service that holds the package back; what came
// stays for the next update.
TEST_F(FirmwareUpdate, DestroyingTheControlStopsADownloadAndKeepsItsResumeFile)
{
    publish("1.0.9", package_bytes('d'));
    search();
    service->set_behaviour(stall_after_100000_bytes());
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
    const std::string partial = version_folder("1.0.9") + "/firmware.zip.part";
    const std::size_t before = start_stalled_update(partial);
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
    const std::string partial = version_folder("1.0.9") + "/firmware.zip.part";
    const std::size_t before = start_stalled_update(partial);
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
    recording_callback second_callback;
    auto second = second_window(second_callback);

    // The first update is held in its download while the second starts.
    held_download held;
    const std::size_t before = start_held_update(held);
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

// Programs the panel starts during a download (the desktop's opener for the manual, say) do not
// inherit the package folder's lock: the next update of another window would wait for them.
TEST_F(FirmwareUpdate, AProgramStartedDuringADownloadDoesNotKeepThePackageFolderLocked)
{
    const std::string bytes = package_bytes('e');
    publish("1.0.9", bytes);
    search();
    held_download held;
    const std::size_t before = start_held_update(held);
    EXPECT_FALSE(folder_lock_is_free(version_folder("1.0.9"))) << "the download does not lock";
    pid_t child = -1;
    char program[] = "sleep";
    char seconds[] = "30";
    char* arguments[] = {program, seconds, nullptr};
    ASSERT_EQ(::posix_spawnp(&child, "sleep", nullptr, nullptr, arguments, environ), 0);
    held.go_on.open();
    expect_handed_over(outcome(callback, before), "1.0.9", bytes);
    callback.on("firmware_update_progress", nullptr);
    const bool free_while_it_runs = folder_lock_is_free(version_folder("1.0.9"));
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_TRUE(free_while_it_runs) << "the started program kept the package folder locked";
}

// A window whose update waits for another's download of the same package, and is given up as
// it closes, says what it waited for: not the speaker.
TEST_F(FirmwareUpdate, AGivenUpWaitForAnotherDownloadSaysWhatItWaitedFor)
{
    const std::string bytes = package_bytes('g');
    publish("1.0.9", bytes);
    search();
    recording_callback second_callback;
    auto second = second_window(second_callback);

    held_download held;
    const std::size_t before = start_held_update(held);
    second->update_firmware();
    ASSERT_TRUE(test_support::eventually([&] { return second->is_waiting_for_speaker(); }))
        << "the second update never came to wait for the download";
    EXPECT_TRUE(second->give_up_waiting_for_speaker());
    const auto second_reports = outcome(second_callback, 2);
    EXPECT_EQ(second_reports.back().name, "firmware_update_failed");
    EXPECT_EQ(second_reports.back().number, static_cast<int>(firmware_update_failure::other));
    EXPECT_THAT(log_text(), ::testing::HasSubstr("Another program is downloading the firmware "
                                                 "package into " +
                                                 version_folder("1.0.9") +
                                                 "; the wait for it was given up as the panel "
                                                 "closes"));
    EXPECT_THAT(log_text(), ::testing::Not(::testing::HasSubstr("using the speaker")));
    held.go_on.open();
    expect_handed_over(outcome(callback, before), "1.0.9", bytes);
    second.release();
}

// A folder that cannot be locked is downloaded into all the same, as with one program, and the
// log says why another program's download is not waited for.
TEST_F(FirmwareUpdate, AFolderThatCannotBeLockedIsDownloadedIntoAndTheLogSaysWhy)
{
    const std::string bytes = package_bytes('u');
    publish("1.0.9", bytes);
    search();
    const std::string folder = version_folder("1.0.9");
    fs::create_directories(folder);
    // Entries can be made and reached by name, but the folder cannot be opened to be locked.
    fs::permissions(folder, fs::perms::owner_write | fs::perms::owner_exec);
    std::vector<recording_callback::report> reports;
    {
        const test_support::without_permission_override as_a_user;
        reports = update();
    }
    fs::permissions(folder, fs::perms::owner_all);
    expect_handed_over(reports, "1.0.9", bytes);
    EXPECT_THAT(log_text(),
                ::testing::HasSubstr("The firmware folder " + folder +
                                     " cannot be locked (Permission denied): a download of the "
                                     "same package by another program is not waited for"));
}

} // namespace
