// Installing firmware packages made by the test through the real dsp_control into the emulated
// speaker: which images go where, and every package that must be refused before the speaker
// is touched.
#include "firmware_install_fixture.h"

#include <speaker_link/control/firmware_programmer.h>
#include <speaker_link/device/dsp_error.h>
#include <speaker_link/firmware/firmware_description.h>

#include <support/bounded_thread.h>
#include <support/bounded_wait.h>
#include <support/firmware_fixture.h>
#include <support/other_program_lock.h>
#include <support/temporary_folder.h>

#include <quarro/desktop/known_folders.h>
#include <quarro/log/logbook.h>

#include <gmock/gmock.h>

namespace {

using test_support::counting_bytes;
using test_support::hex_bytes;
using test_support::hex_record;
using test_support::intel_hex;

using entries = std::map<std::string, std::string>;

struct install_case
{
    const char* name;
    entries package;
    std::vector<std::uint32_t> blocks; ///< touched blocks
    std::vector<hex_bytes> plain;      ///< their bytes that are not 0x00
    std::array<std::uint32_t, 3> version;
    const char* model = "K5R"; ///< the speaker attached
};

void PrintTo(const install_case& c, std::ostream* out)
{
    *out << c.name;
}

const std::vector<hex_bytes> two_blocks = {{0x000000, {0x01, 0x0F, 0xA5}},
                                           {0x010010, counting_bytes(40, 0x80)}};

// Each image writes into byte 0 (and a block of its own), so the last one installed shows.
std::string image_of(std::uint8_t marker, std::uint32_t own_block)
{
    return intel_hex({{0x000000, {marker}}, {own_block << 16, {marker, marker}}});
}

// The image padded with line ends to the largest entry a package may hold.
std::string as_largest_entry(const std::string& image)
{
    return image + std::string(max_firmware_entry_bytes - image.size(), '\n');
}

const install_case install_cases[] = {
    {"LowerCaseMemberNames",
     {{"flash.json", R"({"format": 0, "version": "1.0.9", "firmware": "fw.hex"})"},
      {"fw.hex", intel_hex(two_blocks)}},
     {0, 1},
     two_blocks,
     {1, 0, 9}},
    {"CapitalMemberNames",
     {{"flash.json", R"({"FORMAT": "x", "VERSION": "1.0.9.7", "FIRMWARE": "fw.hex"})"},
      {"fw.hex", intel_hex(two_blocks)}},
     {0, 1},
     two_blocks,
     {1, 0, 9}},
    {"K5RGetsFirmwareThenTuningThenItsOwnImage",
     {{"flash.json", R"({"version": "2.1.0", "firmware": "fw.hex", "K7R": "k7r.hex",
        "production_tuning": "tuning.hex", "K4R": "k4r.hex", "K5T": "k5t.hex",
        "K5R": "images/k5r.hex", "K7T": "k7t.hex"})"},
      {"fw.hex", image_of(0x11, 1)},
      {"tuning.hex", image_of(0x22, 2)},
      {"images/k5r.hex", image_of(0x33, 3)},
      {"k4r.hex", image_of(0x44, 4)},
      {"k5t.hex", image_of(0x44, 4)},
      {"k7t.hex", image_of(0x44, 4)},
      {"k7r.hex", image_of(0x44, 4)}},
     {0, 1, 2, 3},
     {{0x000000, {0x33}},
      {0x010000, {0x11, 0x11}},
      {0x020000, {0x22, 0x22}},
      {0x030000, {0x33, 0x33}}},
     {2, 1, 0}},
    {"K7RTheLastModelGetsItsOwnImage",
     {{"flash.json", R"({"version": "1.0.9", "firmware": "fw.hex", "K5R": "k5r.hex",
        "K7R": "k7r.hex"})"},
      {"fw.hex", image_of(0x11, 1)},
      {"k5r.hex", image_of(0x44, 4)},
      {"k7r.hex", image_of(0x77, 7)}},
     {0, 1, 7},
     {{0x000000, {0x77}}, {0x010000, {0x11, 0x11}}, {0x070000, {0x77, 0x77}}},
     {1, 0, 9},
     "K7R"},
    // Four members name one largest entry: 64 MiB of images, all a package may hold; the
    // firmware named again replaces its own image rather than adding to it.
    {"RepeatedMemberIsNotCountedAgainstItself",
     {{"flash.json", R"({"version": "1.0.9", "firmware": "a", "production_tuning": "a",
        "K4R": "a", "K5T": "a", "firmware": "a"})"},
      {"a", as_largest_entry(intel_hex({{0x000000, {0x01}}}))}},
     {0},
     {{0x000000, {0x01}}},
     {1, 0, 9}},
    {"RecordAfterExtendedAddressWithoutVersion",
     {{"flash.json", R"({"firmware": "fw.hex"})"},
      {"fw.hex", ":020000040003F7\n" + hex_record(0, 0x1234, {0x01, 0x0F}) + "\n:00000001FF\n"}},
     {3},
     {{0x031234, {0x01, 0x0F}}},
     {0, 0, 0}},
};

class FirmwarePackageInstall : public FirmwareInstall,
                               public ::testing::WithParamInterface<install_case>
{};

TEST_P(FirmwarePackageInstall, FlashHoldsTheImagesAndTheNewVersion)
{
    const install_case& c = GetParam();
    attach(c.model);
    ASSERT_NO_FATAL_FAILURE(connect());
    install(c.package);
    EXPECT_EQ(callback.next(), "firmware_update_succeeded");
    EXPECT_EQ(erase_count(), c.blocks.size());
    expect_flash(c.blocks, c.plain, c.version);
    EXPECT_EQ(control->get_firmware_version(), std::to_string(c.version[0]) + "." +
                                                   std::to_string(c.version[1]) + "." +
                                                   std::to_string(c.version[2]));
    EXPECT_FALSE(control->is_firmware_update_allowed());
}

INSTANTIATE_TEST_SUITE_P(Packages, FirmwarePackageInstall, ::testing::ValuesIn(install_cases),
                         [](const auto& info) { return std::string(info.param.name); });

struct refused_case
{
    const char* name;
    entries package; ///< empty: the file is no zip archive at all
};

void PrintTo(const refused_case& c, std::ostream* out)
{
    *out << c.name;
}

const std::string good_image = intel_hex({{0x000000, {0x01}}});

entries with_json(const std::string& json, entries images = {{"fw.hex", good_image}})
{
    images["flash.json"] = json;
    return images;
}

const refused_case refused_cases[] = {
    {"NotAZipArchive", {}},
    {"NoFlashJson", {{"fw.hex", good_image}}},
    {"NamedEntryMissing", with_json(R"({"firmware": "other.hex"})")},
    {"EntryNameDiffersInCase", with_json(R"({"firmware": "FW.hex"})")},
    {"EntryNameIsNoPath", with_json(R"({"firmware": "../fw.hex"})", {{"fw.hex", good_image}})},
    {"NoFirmwareMember", with_json(R"({"production_tuning": "fw.hex"})")},
    {"FormatOneBeforeFirmware", with_json(R"({"format": 1, "firmware": "fw.hex"})")},
    {"ImagesGiveNoBlock", with_json(R"({"firmware": "fw.hex"})", {{"fw.hex", ":00000001FF\n"}})},
    {"VersionFirstNumberOver1000", with_json(R"({"version": "1001.0.0", "firmware": "fw.hex"})")},
    {"EntryOver16MiB",
     with_json(R"({"firmware": "fw.hex"})",
               {{"fw.hex", good_image + std::string(max_firmware_entry_bytes, '\n')}})},
    {"ImagesOver64MiBTogether",
     with_json(R"({"firmware": "a", "production_tuning": "b", "K4R": "c", "K5T": "d",
                   "K5R": "e"})",
               {{"a", good_image + std::string(14 << 20, '\n')},
                {"b", std::string(14 << 20, '\n')},
                {"c", std::string(14 << 20, '\n')},
                {"d", std::string(14 << 20, '\n')},
                {"e", std::string(14 << 20, '\n')}})},
};

class FirmwarePackageRefused : public FirmwareInstall,
                               public ::testing::WithParamInterface<refused_case>
{};

TEST_P(FirmwarePackageRefused, BeforeTheSpeakerIsTouched)
{
    const refused_case& c = GetParam();
    if (c.package.empty()) {
        test_support::write_text(folder / "package.zip", "PK but not really a zip archive");
        install_firmware_image(*control, files::filepath(folder / "package.zip"));
    } else {
        install(c.package);
    }
    EXPECT_EQ(callback.next(), "firmware_update_failed");
    EXPECT_EQ(callback.reports().back().number,
              static_cast<int>(firmware_update_failure::download_or_package));
    EXPECT_EQ(speaker().report_count(), 0u) << "the speaker was touched";
    expect_flash_unchanged();
    EXPECT_EQ(control->get_firmware_version(), old_version);
}

INSTANTIATE_TEST_SUITE_P(Packages, FirmwarePackageRefused, ::testing::ValuesIn(refused_cases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FirmwareInstall, AnotherModelAttachedIsRefusedBeforeAnyErase)
{
    speaker().set_model_tag("K4R004711");
    EXPECT_THROW(install(firmware_only(good_image)), error::wrong_speaker);
    EXPECT_EQ(erase_count(), 0u);
    EXPECT_EQ(control->get_firmware_version(), old_version);
}

class FirmwareUpdateToTheSpeaker : public FirmwareTest
{
protected:
    /// Publishes a package of one image of 100 bytes at 0x010000 as `version` and lets a search
    /// find it, which reports `found`.
    void publishAndFind(const std::string& version = "1.0.9",
                        const std::string& found = "firmware_update_available")
    {
        const test_support::temporary_folder made;
        test_support::write_firmware_package(made / "firmware.zip", image, version);
        publish(version, test_support::read_text(made / "firmware.zip"));
        control->search_firmware_update();
        ASSERT_EQ(callback.next(), found);
    }

    /// The speaker's firmware version words become `version`, as another program's update
    /// leaves them; the flash as it is then is the reference.
    void speakerNowHas(const std::array<std::uint32_t, 3>& version)
    {
        emulated_speaker::speaker_settings settings = speaker().settings();
        settings.firmware_version = version;
        speaker().set_settings(settings);
        take_reference_image();
        speaker().clear_history();
    }

    static std::string logText()
    {
        return test_support::read_text(quarro::logbook::instance().get_log_file().get_path());
    }

    std::string package_path() const
    {
        return quarro::get_user_documents_path().get_path() +
               "/Velk Audio/Pellaro/firmware/K5R/1.0.9/firmware.zip";
    }

    const std::vector<hex_bytes> image = {{0x010000, counting_bytes(100, 3)}};
};

TEST_F(FirmwareUpdateToTheSpeaker, FromSearchToSuccessAfterAFailedAttempt)
{
    const std::string old_version = control->get_firmware_version();
    publishAndFind();

    // A block that fails all its attempts: a speaker-link failure, and the update stays open.
    speaker().ignore_program(firmware_block_attempts);
    const auto failed = update();
    ASSERT_EQ(failed.back().name, "firmware_update_failed");
    EXPECT_EQ(failed.back().number, static_cast<int>(firmware_update_failure::speaker_link));
    EXPECT_EQ(control->get_firmware_version(), old_version);
    EXPECT_TRUE(control->is_firmware_update_allowed());

    const auto succeeded = update();
    ASSERT_EQ(succeeded.back().name, "firmware_update_succeeded");
    EXPECT_EQ(speaker().plain(0x010000, 100), image[0].bytes);
    EXPECT_EQ(speaker().settings().firmware_version, (std::array<std::uint32_t, 3>{1, 0, 9}));
    EXPECT_EQ(control->get_firmware_version(), "1.0.9");
    EXPECT_FALSE(control->is_firmware_update_allowed());
}

// The package is fetched and read before the speaker is held: while another program holds the
// speaker the update waits, a wait that a closing program gives up, and nothing is written.
TEST_F(FirmwareUpdateToTheSpeaker, HoldsTheSpeakerOnlyOnceThePackageIsReadAndAQuitGivesItUp)
{
    publishAndFind();
    speaker().clear_history();
    test_support::other_program_lock other;
    const std::size_t before = callback.count();
    control->update_firmware();
    ASSERT_TRUE(test_support::eventually([&] { return control->is_waiting_for_speaker(); }))
        << "the update never came to wait for the speaker";
    EXPECT_TRUE(std::filesystem::exists(package_path())) << "waits before it has its package";
    EXPECT_EQ(speaker().open_count(), 0u);
    EXPECT_TRUE(control->give_up_waiting_for_speaker());
    const auto reports = outcome(callback, before);
    EXPECT_EQ(reports.front().name, "firmware_update_started");
    EXPECT_EQ(reports.back().name, "firmware_update_failed");
    EXPECT_EQ(reports.back().number, static_cast<int>(firmware_update_failure::other));
    EXPECT_EQ(speaker().open_count(), 0u) << "the given-up update opened the bridge";
    expect_flash_unchanged();
    EXPECT_TRUE(std::filesystem::exists(package_path())) << "the package was not kept";
}

// An installation under way when the program must end (its display gone) runs to its last
// block, its verify and its version before finishing returns.
TEST_F(FirmwareUpdateToTheSpeaker, FinishingLetsAnInstallationUnderWayEnd)
{
    publishAndFind();
    const auto flash_bytes = static_cast<std::uint32_t>(factory_image().size());
    std::vector<std::uint8_t> expected = speaker().plain(0, flash_bytes);
    speaker().clear_history();
    const auto gate =
        hold_after_command(bridge_protocol::flash_opcode::block_erase,
                           firmware_block_count * bridge_protocol::flash_block_size_bytes);
    const std::size_t before = callback.count();
    control->update_firmware();
    ASSERT_TRUE(gate->wait_until_held(std::chrono::seconds(10))) << "no firmware block was erased";
    std::size_t reports_when_finished = 0;
    test_support::bounded_thread finisher([&] {
        control->finish_operations();
        reports_when_finished = callback.count();
    });
    gate->release();
    finisher.join_within(std::chrono::seconds(20), "finishing during an installation");
    const auto reports = outcome(callback, before);
    EXPECT_EQ(reports_when_finished, before + reports.size())
        << "returned before the installation had reported";
    ASSERT_EQ(reports.back().name, "firmware_update_succeeded");
    // Block 1 whole (0x00 where the image gives nothing), the version words 1, 0, 9.
    std::fill_n(expected.begin() + 0x010000, bridge_protocol::flash_block_size_bytes, 0);
    std::copy(image[0].bytes.begin(), image[0].bytes.end(), expected.begin() + 0x010000);
    const std::uint32_t version_words = bridge_protocol::settings_block_address + 126 * 4;
    for (std::uint32_t word = 0; word < 3; ++word)
        for (std::uint32_t b = 0; b < 4; ++b)
            expected[version_words + 4 * word + b] =
                b == 0 ? std::array<std::uint8_t, 3>{1, 0, 9}[word] : 0;
    EXPECT_EQ(speaker().plain(0, flash_bytes), expected);
}

// The update writes only into the speaker it was started for: another one attached while the
// package came in (the same model too) is refused before the first erase, also when the
// control has read it meanwhile, and the log names both.
TEST_F(FirmwareUpdateToTheSpeaker, AnotherSpeakerAttachedDuringTheDownloadIsNotWritten)
{
    const struct
    {
        const char* tag;
        bool readByTheControl;
        const char* log;
    } rows[] = {
        {"K5R004712", false,
         "The speaker attached is K5R K-004712, not the K5R K-004711 that the update was started "
         "for: nothing was written"},
        {"K5R004712", true,
         "The speaker attached is K5R K-004712, not the K5R K-004711 that the update was started "
         "for: nothing was written"},
        {"K4R004711", false,
         "The speaker attached is K4R K-004711, not the K5R K-004711 that the update was started "
         "for: nothing was written"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.tag << (row.readByTheControl ? ", read" : ""));
        std::filesystem::remove_all(std::filesystem::path(package_path()).parent_path());
        speaker().reset("K5R");
        control.release();
        control = memory::make_data_ptr<dsp_control>(callback);
        control->read_main_settings_from_device();
        ASSERT_EQ(callback.next(), "speaker_changed");
        publishAndFind();
        held_download held;
        hold_download(held);
        const std::size_t before = callback.count();
        control->update_firmware();
        ASSERT_TRUE(held.downloading.wait()) << "the download never began";
        speaker().set_model_tag(row.tag);
        if (row.readByTheControl) {
            // The panel's Get while the package downloads: the control now shows the other.
            control->read_main_settings_from_device();
            ASSERT_TRUE(test_support::eventually([&] {
                return control->get_serial() == "K-004712" && !callback.reports().empty() &&
                       callback.reports().back().name == "speaker_changed";
            })) << "the control never read the other speaker";
        }
        speaker().clear_history();
        held.go_on.open();
        const auto reports = outcome(callback, before);
        callback.on("firmware_update_progress", nullptr);
        EXPECT_EQ(reports.back().name, "firmware_update_failed");
        EXPECT_EQ(reports.back().number, static_cast<int>(firmware_update_failure::speaker_link));
        EXPECT_TRUE(flash_commands_with(0xD8, 0x1C0000).empty()) << "a block was erased";
        expect_flash_unchanged_outside(0x1F0000, 9);
        EXPECT_THAT(logText(), ::testing::HasSubstr(row.log));
    }
}

struct since_offer_case
{
    const char* name;
    std::array<std::uint32_t, 3> now; ///< the speaker's version when the update begins
    const char* version;              ///< the same as text
    const char* nextSearch;           ///< what a search then reports of the published 1.0.9
};

void PrintTo(const since_offer_case& c, std::ostream* out)
{
    *out << c.name;
}

// Another program updated the speaker after the offer (for 1.0.7) was made: nothing is written,
// the version found becomes the speaker's, and the next search judges the offer by it.
const since_offer_case since_offer_cases[] = {
    {"TheOfferedVersion", {1, 0, 9}, "1.0.9", "firmware_up_to_date"},
    {"ANewerVersion", {1, 1, 0}, "1.1.0", "firmware_up_to_date"},
    {"AnOlderVersion", {1, 0, 5}, "1.0.5", "firmware_update_available"},
};

class FirmwareChangedSinceTheOffer : public FirmwareUpdateToTheSpeaker,
                                     public ::testing::WithParamInterface<since_offer_case>
{};

TEST_P(FirmwareChangedSinceTheOffer, WritesNothingAndTheVersionFoundBecomesTheSpeakers)
{
    const since_offer_case& c = GetParam();
    publishAndFind();
    speakerNowHas(c.now);
    const auto reports = update();
    ASSERT_EQ(reports.back().name, "firmware_update_failed");
    EXPECT_EQ(reports.back().number, static_cast<int>(firmware_update_failure::firmware_changed));
    EXPECT_TRUE(flash_commands_with(0xD8).empty()) << "a block was erased";
    EXPECT_TRUE(flash_commands_with(0x02).empty()) << "a page was programmed";
    expect_flash_unchanged();
    EXPECT_EQ(control->get_firmware_version(), c.version);
    EXPECT_FALSE(control->is_firmware_update_allowed());
    EXPECT_THAT(logText(),
                ::testing::HasSubstr(std::string("The speaker's firmware is now ") + c.version +
                                     ", not 1.0.7 as when the update was offered: "
                                     "nothing was written"));

    control->search_firmware_update();
    EXPECT_EQ(callback.next(), c.nextSearch);
}

INSTANTIATE_TEST_SUITE_P(Updates, FirmwareChangedSinceTheOffer,
                         ::testing::ValuesIn(since_offer_cases),
                         [](const auto& info) { return std::string(info.param.name); });

// With the offer judged against the version the speaker still has, a confirmed reinstall of
// that very version is written.
TEST_F(FirmwareUpdateToTheSpeaker, AReinstallOfTheSpeakersOwnVersionIsWritten)
{
    publishAndFind("1.0.7", "firmware_up_to_date");
    ASSERT_TRUE(control->is_firmware_update_allowed());
    speaker().clear_history();
    ASSERT_EQ(update().back().name, "firmware_update_succeeded");
    EXPECT_EQ(flash_commands_with(0xD8, 0x1C0000).size(), 1u);
    EXPECT_EQ(speaker().plain(0x010000, 100), image[0].bytes);
    EXPECT_EQ(control->get_firmware_version(), "1.0.7");
}

} // namespace
