// dsp_control against the emulated speaker: every operation's reports, what each leaves in the
// flash, the held records, the slots' waits and the destructor's, and the containment of
// whatever a callback throws.
#include <speaker_link/dsp_control.h>

#include <speaker_link/device/bridge_protocol.h>
#include <speaker_link/settings/settings_encoding.h>

#include <support/bounded_thread.h>
#include <support/bounded_wait.h>
#include <support/emulated_speaker_fixture.h>
#include <support/environment_variable.h>
#include <support/error_text.h>
#include <support/file_size_limit.h>
#include <support/main_settings_record.h>
#include <support/other_program_lock.h>
#include <support/recording_callback.h>
#include <support/temporary_folder.h>

#include <quarro/err/exception.h>
#include <quarro/files/file_error.h>
#include <quarro/log/logbook.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

namespace bp = bridge_protocol;
using emulated_speaker::band_words;
using emulated_speaker::report_fault;
using emulated_speaker::speaker_settings;
using test_support::main_settings_record;
using test_support::recording_callback;
using test_support::test_latch;

constexpr std::chrono::seconds hold_wait{10};
// A worker against the emulated speaker ends in well under a second.
constexpr std::chrono::seconds worker_wait{10};
constexpr std::uint32_t block_bytes = 516;

// A preset whose every value differs from the factory's and from its neighbours'.
memory::data_ptr<preset> studio_preset()
{
    auto record = memory::make_data_ptr<preset>();
    record->name = "Studio";
    for (std::size_t b = 0; b < preset::band_count; ++b) {
        record->bands[b]->gain = -6.0 + 1.5 * static_cast<double>(b);
        record->bands[b]->frequency = frequency_table[10 + 5 * b];
        record->bands[b]->q = q_table[2 + 3 * b];
    }
    return record;
}

// The record holds studio_preset()'s bands (a shelf's Q is not kept anywhere).
void expect_studio_values(const memory::data_ptr<preset>& record)
{
    const auto studio = studio_preset();
    for (std::size_t b = 0; b < preset::band_count; ++b) {
        SCOPED_TRACE("band " + std::to_string(b));
        EXPECT_EQ(record->bands[b]->type, studio->bands[b]->type);
        EXPECT_DOUBLE_EQ(record->bands[b]->gain, studio->bands[b]->gain);
        EXPECT_DOUBLE_EQ(record->bands[b]->frequency, studio->bands[b]->frequency);
        if (b != 0 && b != preset::band_count - 1) {
            EXPECT_DOUBLE_EQ(record->bands[b]->q, studio->bands[b]->q);
        }
    }
}

// The words studio_preset() leaves in a slot; a shelf's third word stays as it was.
void store_studio_preset(emulated_speaker::slot_words& slot)
{
    const auto words = [](std::uint32_t b) {
        return band_words{10 + 5 * b, 2 + 3 * b, -60 + 15 * static_cast<std::int32_t>(b)};
    };
    slot.low_shelf = {10, slot.low_shelf.third_word, -60};
    for (std::uint32_t b = 1; b <= 6; ++b)
        slot.parametric[b - 1] = words(b);
    slot.high_shelf = {45, slot.high_shelf.third_word, 45};
}

// The words the default preset leaves in a slot.
void store_default_preset(emulated_speaker::slot_words& slot)
{
    slot.low_shelf = {0, slot.low_shelf.third_word, 0};
    for (band_words& band : slot.parametric)
        band = {0, 0, 0};
    slot.high_shelf = {0, slot.high_shelf.third_word, 0};
}

void expect_settings(const memory::data_ptr<main_settings>& record, quarro::u32 input,
                     double volume, double delay, quarro::u32 active_preset)
{
    ASSERT_TRUE(record);
    EXPECT_EQ(record->input, input);
    EXPECT_DOUBLE_EQ(record->volume, volume);
    EXPECT_DOUBLE_EQ(record->delay, delay);
    EXPECT_EQ(record->active_preset, active_preset);
}

class DspControl : public EmulatedSpeakerTest
{
protected:
    void SetUp() override
    {
        EmulatedSpeakerTest::SetUp();
        control = memory::make_data_ptr<dsp_control>(callback);
    }

    void TearDown() override
    {
        // Waits for every worker.
        test_support::bounded_thread([this] {
            control.release();
        }).join_within(worker_wait, "destroying dsp_control");
        EXPECT_EQ(callback.untaken(), 0u) << "a report the test did not expect";
        for (const auto& report : callback.reports())
            EXPECT_NE(report.thread, test_thread) << report.name << " arrived on the caller";
        EmulatedSpeakerTest::TearDown();
    }

    /// Starts an operation and returns the name of its report. Starting waits for the slot's
    /// previous task, so it is bounded too.
    std::string run(const std::function<void()>& operation)
    {
        test_support::bounded_thread(operation).join_within(worker_wait, "starting an operation");
        return callback.next();
    }

    /// A first read of the attached speaker, so that the user presets can be reached.
    void read_speaker()
    {
        ASSERT_EQ(run([this] { control->read_main_settings_from_device(); }), "speaker_changed");
    }

    /// The block holds exactly `expected`, word for word; the rest of the flash is as it was.
    void expect_block(const speaker_settings& expected)
    {
        const auto want = emulated_speaker::encode_settings(expected);
        EXPECT_EQ(speaker().plain(bp::settings_block_address, block_bytes),
                  std::vector<std::uint8_t>(want.begin(), want.end()));
        expect_flash_unchanged_outside(bp::settings_block_address, block_bytes);
    }

    recording_callback callback;
    memory::data_ptr<dsp_control> control;
    const std::thread::id test_thread = std::this_thread::get_id();
};

using DspControlDeathTest = DspControl;

// -- Set-up ---------------------------------------------------------------------------------

// A fresh account with no Documents folder yet.
class DspControlSetUp : public ::testing::Test
{
protected:
    test_support::temporary_folder account;
    const test_support::environment_variable home{"HOME", account / "home"};
    const test_support::environment_variable config{"XDG_CONFIG_HOME", account / "home/.cfg"};
    const std::string data = account / "home/Documents/Velk Audio/Pellaro";
    quarro::logbook& book = quarro::logbook::instance();
    recording_callback callback;
};

TEST_F(DspControlSetUp, DataFoldersAndLogComeUpInAFreshDocumentsFolder)
{
    ASSERT_FALSE(std::filesystem::exists(account / "home"));
    dsp_control control(callback);
    EXPECT_EQ(control.get_preset_folder().get_path(), data + "/presets");
    EXPECT_TRUE(std::filesystem::is_directory(data + "/presets"));
    const quarro::log_levels levels = book.get_levels();
    EXPECT_EQ(std::vector<int>({levels.file, levels.console, levels.notification}),
              std::vector<int>(
                  {quarro::log_level::info, quarro::log_level::none, quarro::log_level::none}));
    book.message("first line", quarro::log_level::info, quarro::logbook::file_and_console);
    EXPECT_EQ(book.get_log_file().get_parent().get_path(), data + "/logs");
}

TEST_F(DspControlSetUp, DocumentsTakenByAFileLeaveNoDataFolderButNoFailure)
{
    std::filesystem::create_directories(account / "home");
    test_support::write_text(account / "home/Documents", "a file where the folder should be");
    // The panel makes its dsp_control at start: a throw here ended the program at once.
    std::unique_ptr<dsp_control> control;
    ASSERT_NO_THROW(control = std::make_unique<dsp_control>(callback));
    EXPECT_FALSE(control->get_preset_folder().exists_flag_set());
}

// -- Preset files -----------------------------------------------------------------------------

std::string log_file_text()
{
    return test_support::read_text(quarro::logbook::instance().get_log_file().get_path());
}

TEST_F(DspControl, PresetFileIsNamedAfterItsFileLoadsBackAndIsNotLoadedDamaged)
{
    test_support::temporary_folder folder;
    const std::string path = folder / "My Preset.xml";
    test_support::write_text(path, ""); // the panel creates the file before saving into it
    control->set_current_preset(studio_preset());
    control->save_preset_file(files::filepath(path));
    EXPECT_EQ(control->get_current_preset()->name, "Studio");
    EXPECT_THAT(test_support::read_text(path), ::testing::HasSubstr("<name>My Preset</name>"));
    // A backslash is part of a file's name on Linux, and so of the preset's.
    const std::string backslashed = folder / "a\\b.xml";
    test_support::write_text(backslashed, "");
    control->save_preset_file(files::filepath(backslashed));
    EXPECT_THAT(test_support::read_text(backslashed), ::testing::HasSubstr("<name>a\\b</name>"));

    // A damaged or missing file is logged, thrown on to the caller, and changes nothing.
    test_support::write_text(
        folder / "three.xml",
        "<root><preset><equalizer><eq/><eq/><eq/></equalizer></preset></root>");
    test_support::write_text(folder / "gone.xml", "");
    const files::filepath gone(folder / "gone.xml");
    std::filesystem::remove(folder / "gone.xml");
    EXPECT_EQ(test_support::error_text<err::exception>(
                  [&] { control->load_preset_file(files::filepath(folder / "three.xml")); }),
              "read_preset_xml() the preset has fewer than 8 bands!");
    EXPECT_THAT(test_support::error_text<err::exception>([&] { control->load_preset_file(gone); }),
                ::testing::HasSubstr("cannot open the file! it does not exist?"));
    EXPECT_EQ(control->get_current_preset()->name, "Studio");
    expect_studio_values(control->get_current_preset());

    control->set_current_preset(memory::make_data_ptr<preset>());
    control->load_preset_file(files::filepath(path));
    const auto loaded = control->get_current_preset();
    EXPECT_EQ(loaded->name, "My Preset");
    expect_studio_values(loaded);
    const std::string log = log_file_text();
    EXPECT_THAT(log, ::testing::HasSubstr(
                         " (error)\t\tread_preset_xml() the preset has fewer than 8 bands!\r\n"));
    EXPECT_THAT(log, ::testing::HasSubstr(" (error)\t\tcannot open the file! it does not exist?"));
}

TEST_F(DspControl, FailedPresetSaveKeepsThePreviousFile)
{
    test_support::temporary_folder folder;
    const std::string path = folder / "kept.xml";
    test_support::write_text(path, "the preset saved last time");
    control->set_current_preset(studio_preset());
    {
        // Room for the log line, not for the preset file; the caller learns of the failure.
        const test_support::file_size_limit limit(600);
        EXPECT_THROW(control->save_preset_file(files::filepath(path)),
                     files::error::cannot_write_to_file);
    }
    EXPECT_EQ(test_support::read_text(path), "the preset saved last time");
    EXPECT_THAT(log_file_text(), ::testing::HasSubstr(" (error)\t\tcannot write data to file!"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                            std::filesystem::directory_iterator()),
              1)
        << "a temporary file was left behind";
}

// -- Reading and writing the main settings ---------------------------------------------------

TEST_F(DspControl, MainSettingsReadTellsAChangedSpeakerByModelAndSerial)
{
    EXPECT_FALSE(control->get_main_settings());
    const struct
    {
        const char* tag;
        const char* report;
        const char* model;
        const char* serial;
        quarro::u64 user_presets;
    } reads[] = {
        {"K5R004711", "speaker_changed", "K5R", "K-004711", 3},
        {"K5R004711", "main_settings_read", "K5R", "K-004711", 3},
        {"K5R004712", "speaker_changed", "K5R", "K-004712", 3},
        {"k5R004712", "speaker_changed", "k5R", "K-004712", 3},
        {"K5T004712", "speaker_changed", "K5T", "K-004712", 2},
        {"K4R0815", "speaker_changed", "K4R", "K-0815", 3},
    };
    for (const auto& read : reads) {
        SCOPED_TRACE(read.tag);
        speaker().set_model_tag(read.tag);
        EXPECT_EQ(run([this] { control->read_main_settings_from_device(); }), read.report);
        EXPECT_EQ(control->get_model(), read.model);
        EXPECT_EQ(control->get_serial(), read.serial);
        EXPECT_EQ(control->get_firmware_version(), "1.0.7");
        EXPECT_EQ(control->get_user_preset_count(), read.user_presets);
        expect_settings(control->get_main_settings(), 2, -6.5, 1.2, 2);
    }
    expect_flash_unchanged_outside(bp::model_tag_address, 9);
}

TEST_F(DspControl, MainSettingsWrittenAndReadBack)
{
    // Written before any read: the speaker's own settings are kept, put back in range.
    speaker_settings expected = emulated_speaker::factory_settings();
    expected.volume_tenths_db = 500;
    speaker().set_settings(expected);
    EXPECT_EQ(run([this] { control->write_main_settings_to_device(); }), "main_settings_written");
    expected.volume_tenths_db = 0;
    expect_block(expected);
    EXPECT_FALSE(control->get_main_settings());

    read_speaker();
    control->set_main_settings(main_settings_record(1, -12.3, 3.4, 4));
    EXPECT_EQ(run([this] { control->write_main_settings_to_device(); }), "main_settings_written");
    expected.input = 1;
    expected.volume_tenths_db = -123;
    expected.delay_tenths_ms = 34;
    expected.active_preset = 4;
    expect_block(expected);

    control->set_main_settings(main_settings_record(0, 0.0, 0.0, 1));
    EXPECT_EQ(run([this] { control->read_main_settings_from_device(); }), "main_settings_read");
    expect_settings(control->get_main_settings(), 1, -12.3, 3.4, 4);
}

// -- User presets -------------------------------------------------------------------------------

TEST_F(DspControl, UserPresetWrittenToItsSlotAndReadBack)
{
    const struct
    {
        const char* model;
        quarro::u64 index;
        std::size_t slot;
    } cases[] = {{"K5R", 2, 4}, {"K4R", 1, 3}, {"K5T", 0, 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.model) + " user preset " + std::to_string(c.index));
        attach(c.model);
        control = memory::make_data_ptr<dsp_control>(callback);
        read_speaker();
        control->set_current_preset(studio_preset());
        EXPECT_EQ(run([&] { control->write_user_preset_to_device(c.index); }),
                  "user_preset_written");
        speaker_settings expected = emulated_speaker::factory_settings();
        store_studio_preset(expected.slots[c.slot]);
        expect_block(expected);

        control->set_current_preset(memory::make_data_ptr<preset>());
        EXPECT_EQ(run([&] { control->read_user_preset_from_device(c.index); }), "user_preset_read");
        const memory::data_ptr<preset> read = control->get_current_preset();
        EXPECT_EQ(read->name, "User Preset " + std::to_string(c.index + 1));
        expect_studio_values(read);
    }
}

TEST_F(DspControl, UserPresetIndexBeyondTheSpeakersPresetsIsRefused)
{
    // Nothing known yet: every index is refused.
    control->read_user_preset_from_device(0);
    control->write_user_preset_to_device(0);
    attach("K5T");
    read_speaker();
    control->read_user_preset_from_device(2);
    control->write_user_preset_to_device(2);
    EXPECT_EQ(speaker().report_count(), 70u) << "only the main settings read reached the speaker";
    // The same slots still work; the destructor's wait and the teardown's count of reports prove
    // that the refused calls left no worker behind.
    EXPECT_EQ(run([this] { control->read_user_preset_from_device(1); }), "user_preset_read");
    expect_flash_unchanged();

    // Held from a speaker with more presets: refused by the worker, nothing held changes.
    attach("K5R");
    read_speaker();
    control->set_current_preset(studio_preset());
    attach("K5T"); // index 2 would be slot 5, or a factory slot
    EXPECT_EQ(run([this] { control->write_user_preset_to_device(2); }), "user_preset_write_failed");
    EXPECT_EQ(run([this] { control->read_user_preset_from_device(2); }), "user_preset_read_failed");
    expect_flash_unchanged();
    EXPECT_EQ(control->get_current_preset()->name, "Studio");
    EXPECT_EQ(control->get_user_preset_count(), 3u);
}

// -- Reset -----------------------------------------------------------------------------------

TEST_F(DspControl, ResetWritesDefaultsIntoMainSettingsAndUserPresetsOnly)
{
    const struct
    {
        const char* model;
        std::size_t first_user_slot;
    } cases[] = {{"K5T", 3}, {"K5R", 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.model);
        attach(c.model);
        control->set_current_preset(studio_preset());
        EXPECT_EQ(run([this] { control->reset_device(); }), "device_reset");
        speaker_settings expected = emulated_speaker::factory_settings();
        expected.input = 0;
        expected.volume_tenths_db = 0;
        expected.delay_tenths_ms = 0;
        expected.active_preset = 2;
        for (std::size_t slot = c.first_user_slot; slot < expected.slots.size(); ++slot)
            store_default_preset(expected.slots[slot]);
        expect_block(expected);
        expect_settings(control->get_main_settings(), 0, 0.0, 0.0, 2);
        EXPECT_EQ(control->get_current_preset()->name, "Studio");
    }
}

// -- Failures of every device operation ---------------------------------------------------------

TEST_F(DspControl, EveryDeviceOperationReportsItsFailure)
{
    const struct
    {
        const char* name;
        std::function<void(dsp_control&)> start;
        const char* failure;
        bool writes;
    } operations[] = {
        {"read main settings", [](dsp_control& c) { c.read_main_settings_from_device(); },
         "main_settings_read_failed", false},
        {"write main settings", [](dsp_control& c) { c.write_main_settings_to_device(); },
         "main_settings_write_failed", true},
        {"read user preset", [](dsp_control& c) { c.read_user_preset_from_device(1); },
         "user_preset_read_failed", false},
        {"write user preset", [](dsp_control& c) { c.write_user_preset_to_device(1); },
         "user_preset_write_failed", true},
        {"reset", [](dsp_control& c) { c.reset_device(); }, "device_reset_failed", true},
    };
    read_speaker();
    const memory::data_ptr<main_settings> held = control->get_main_settings();
    for (const auto& operation : operations) {
        // A tag of another family fails in the same read as a missing speaker.
        for (const bool absent : {true, false}) {
            SCOPED_TRACE(std::string(operation.name) + (absent ? ", absent" : ", transfer broken"));
            speaker().reset("K5R");
            if (absent)
                speaker().remove_device();
            else if (operation.writes) // lasting, so that no attempt of the write gets through
                speaker().inject(report_fault::write_fails, {{}, bp::flash_opcode::page_program}, 5,
                                 emulated_speaker::always);
            else
                speaker().inject(report_fault::read_fails, {{}, bp::flash_opcode::read}, 5);
            const std::size_t logged_before = log_file_text().size();
            EXPECT_EQ(run([&] { operation.start(*control); }), operation.failure);
            // The box only asks to check the connection: the log file says why.
            EXPECT_THAT(log_file_text().substr(logged_before),
                        ::testing::HasSubstr(" (warning)\t\t"));
            expect_flash_unchanged_outside(bp::settings_block_address,
                                           !absent && operation.writes ? 0x10000 : 0);
            EXPECT_EQ(speaker().open_handle_count(), 0u);
            // Nothing held changes, but for the defaults a reset stores before it writes.
            EXPECT_EQ(control->get_model(), "K5R");
            EXPECT_EQ(control->get_serial(), "K-004711");
            EXPECT_EQ(control->get_user_preset_count(), 3u);
            if (operation.failure == std::string("device_reset_failed") && !absent)
                expect_settings(control->get_main_settings(), 0, 0.0, 0.0, 2);
            else
                expect_settings(control->get_main_settings(), held->input, held->volume,
                                held->delay, held->active_preset);
        }
    }
}

// -- Records ------------------------------------------------------------------------------------

TEST_F(DspControl, NullRecordsAreRefused)
{
    EXPECT_EQ(test_support::error_text<err::runtime_error>(
                  [this] { control->set_current_preset(nullptr); }),
              "dsp_control::set_current_preset() needs a record, not null");
    EXPECT_EQ(test_support::error_text<err::runtime_error>(
                  [this] { control->set_main_settings(nullptr); }),
              "dsp_control::set_main_settings() needs a record, not null");
}

// -- What callbacks throw ------------------------------------------------------------------------

TEST_F(DspControl, ThrowingReportsAreContained)
{
    // A throwing success report becomes the operation's failure; what a failure report throws
    // is dropped. One that escaped a worker would end the test program.
    const struct
    {
        const char* name;
        std::function<void()> thrower;
    } cases[] = {
        {"err::exception", [] { throw err::runtime_error("panel refused the settings"); }},
        {"std::exception", [] { throw std::runtime_error("panel fell over"); }},
        {"anything else", [] { throw 7; }},
    };
    quarro::logbook::instance().set_levels(
        {quarro::log_level::debug, quarro::log_level::none, quarro::log_level::none});
    int serial = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const char* report :
             {"speaker_changed", "main_settings_read_failed", "firmware_search_failed"})
            callback.on(report, [&](dsp_control&) { c.thrower(); });
        // Another serial each time, so that each read reports a changed speaker.
        speaker().set_model_tag("K5R00471" + std::to_string(serial++));
        EXPECT_EQ(run([this] { control->read_main_settings_from_device(); }), "speaker_changed");
        EXPECT_EQ(callback.next(), "main_settings_read_failed");
        EXPECT_EQ(run([this] { control->search_firmware_update(); }), "firmware_search_failed");
    }
    for (const char* report :
         {"speaker_changed", "main_settings_read_failed", "firmware_search_failed"})
        callback.on(report, nullptr);
    EXPECT_EQ(run([this] { control->read_main_settings_from_device(); }), "main_settings_read");
    // Only the err::exception is logged.
    const std::string log = log_file_text();
    EXPECT_NE(log.find("panel refused the settings\r\n"), std::string::npos) << log;
    EXPECT_EQ(log.find("panel fell over"), std::string::npos) << log;
    expect_flash_unchanged_outside(bp::model_tag_address, 9);
}

TEST_F(DspControl, AReportIsSeenOnlyOnceTheTestsActionInItIsOver)
{
    // What the recording callback promises, and the test above relies on: once a test has seen
    // a report, the action it ran there no longer uses anything of the test's.
    const struct
    {
        const char* name;
        bool throws;
    } cases[] = {{"returns", false}, {"throws", true}};
    int serial = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::size_t seen_inside = 99;
        callback.on("speaker_changed", [&](dsp_control&) {
            seen_inside = callback.count();
            if (c.throws)
                throw err::runtime_error("panel refused the settings");
        });
        speaker().set_model_tag("K5R00472" + std::to_string(serial++));
        const std::size_t before = callback.count();
        EXPECT_EQ(run([this] { control->read_main_settings_from_device(); }), "speaker_changed");
        EXPECT_EQ(seen_inside, before) << "the report was seen while its action still ran";
        if (c.throws) {
            EXPECT_EQ(callback.next(), "main_settings_read_failed");
        }
    }
    callback.on("speaker_changed", nullptr);
}

TEST_F(DspControlDeathTest, CallbackStartingAnOperationIsCaughtInDebugBuilds)
{
#ifdef NDEBUG
    GTEST_SKIP() << "the check is compiled into debug builds only";
#else
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            callback.on("speaker_changed", [](dsp_control& c) { c.reset_device(); });
            control->read_main_settings_from_device();
            callback.next();
            callback.next();
        },
        "must not start a dsp_control operation");
#endif
}

// -- Slots, the device lock and the destructor -----------------------------------------------

TEST_F(DspControl, SecondOperationInABusySlotWaitsAndBothReport)
{
    read_speaker();
    const auto gate = speaker().hold_report(0);
    control->write_user_preset_to_device(0);
    ASSERT_TRUE(gate->wait_until_held(hold_wait));
    const std::size_t before = callback.count();
    std::size_t reports_when_returned = 0;
    test_support::bounded_thread second([&] {
        control->reset_device();
        reports_when_returned = callback.count();
    });
    gate->release();
    second.join_within(worker_wait, "the second call");
    EXPECT_GT(reports_when_returned, before) << "the second call returned before the first "
                                                "operation had ended";
    EXPECT_EQ(callback.next(), "user_preset_written");
    EXPECT_EQ(callback.next(), "device_reset");
}

TEST_F(DspControl, OperationsInOtherSlotsStartAtOnceAndTakeTurnsOnTheSpeaker)
{
    const auto gate = speaker().hold_report(0);
    control->read_main_settings_from_device();
    ASSERT_TRUE(gate->wait_until_held(hold_wait));
    control->write_main_settings_to_device();
    control->search_firmware_update();
    EXPECT_TRUE(gate->held()) << "a call in another slot waited for the read";
    // The search touches no speaker and needs no lock: it reports while the read is held.
    EXPECT_EQ(callback.next(), "firmware_search_failed");
    gate->release();
    // The write needs the device lock, which the read keeps until it has reported.
    EXPECT_EQ(callback.next(), "speaker_changed");
    EXPECT_EQ(callback.next(), "main_settings_written");
    expect_flash_unchanged();
}

TEST_F(DspControl, AnotherProgramHoldingTheSpeakerKeepsOperationsWaitingUntilItLetsGo)
{
    using test_support::virtual_clock;
    // The operation just started looks for the speaker again and again, the bridge unopened.
    const auto expect_waiting = [&] {
        const std::uint64_t polls = virtual_clock::sleep_count() + 3;
        EXPECT_TRUE(test_support::eventually([&] { return virtual_clock::sleep_count() >= polls; }))
            << "the operation did not wait for the speaker";
        EXPECT_EQ(speaker().open_count(), 0u) << "the bridge was opened while another held it";
    };
    test_support::other_program_lock other;
    control->read_main_settings_from_device();
    expect_waiting();
    EXPECT_EQ(callback.count(), 0u);
    other.let_go();
    EXPECT_EQ(callback.next(), "speaker_changed");

    // Closing the panel gives the wait up: the operation fails.
    const struct
    {
        const char* name;
        std::function<void(dsp_control&)> start;
        const char* failure;
        int kind;
    } operations[] = {
        {"write main settings", [](dsp_control& c) { c.write_main_settings_to_device(); },
         "main_settings_write_failed", -1},
        // A firmware update waits only once it has its package (the firmware tests).
    };
    for (const auto& operation : operations) {
        SCOPED_TRACE(operation.name);
        speaker().clear_history();
        test_support::other_program_lock holder;
        operation.start(*control);
        expect_waiting();
        test_support::bounded_thread([this] {
            control.release();
        }).join_within(worker_wait, "destroying dsp_control while it waits for the speaker");
        EXPECT_EQ(callback.next(), operation.failure);
        EXPECT_EQ(callback.reports().back().number, operation.kind);
        control = memory::make_data_ptr<dsp_control>(callback);
    }
    expect_flash_unchanged();
}

TEST_F(DspControl, DestroyingWaitsForEveryRunningOperation)
{
    std::atomic<bool> report_returned{false};
    // Destroys the control on another thread while the held work is let go; gives the count of
    // reports and whether the held report had returned when the destructor did.
    const auto destroy = [&](const std::function<void()>& let_go) {
        std::pair<std::size_t, bool> when_destroyed;
        test_support::bounded_thread owner([&] {
            control.release();
            when_destroyed = {callback.count(), report_returned};
        });
        let_go();
        owner.join_within(worker_wait, "destroying dsp_control");
        return when_destroyed;
    };

    // Held inside its report.
    test_latch entered;
    test_latch leave;
    callback.on("speaker_changed", [&](dsp_control&) {
        entered.open();
        leave.wait();
        report_returned = true;
    });
    control->read_main_settings_from_device();
    ASSERT_TRUE(entered.wait());
    EXPECT_EQ(destroy([&] { leave.open(); }), std::make_pair(std::size_t{1}, true));
    callback.next();

    // Every slot busy.
    control = memory::make_data_ptr<dsp_control>(callback);
    callback.on("speaker_changed", nullptr);
    read_speaker();
    const auto gate = speaker().hold_report(0);
    control->read_main_settings_from_device();
    ASSERT_TRUE(gate->wait_until_held(hold_wait));
    control->write_main_settings_to_device();
    control->reset_device();
    control->read_user_preset_from_device(0);
    control->search_firmware_update();
    EXPECT_EQ(destroy([&] { gate->release(); }).first, 2u + 5u) << "the two reads before, then "
                                                                   "one for each of the five";
    while (callback.untaken() > 0)
        callback.next();
}

// -- Finishing without destroying (a program that must end) ------------------------------------

// A write caught half way, its block erased and nothing written yet, runs to its end: the call
// returns only after its report, and the block is whole.
TEST_F(DspControl, FinishingLetsAWriteUnderWayEndWhole)
{
    const struct
    {
        const char* name;
        std::function<void(dsp_control&)> start;
        const char* report;
        std::function<void(speaker_settings&)> change;
    } writes[] = {
        {"the settings write",
         [](dsp_control& c) {
             c.set_main_settings(main_settings_record(1, -12.3, 3.4, 4));
             c.write_main_settings_to_device();
         },
         "main_settings_written",
         [](speaker_settings& s) {
             s.input = 1;
             s.volume_tenths_db = -123;
             s.delay_tenths_ms = 34;
             s.active_preset = 4;
         }},
        {"the user preset write",
         [](dsp_control& c) {
             c.set_current_preset(studio_preset());
             c.write_user_preset_to_device(2);
         },
         "user_preset_written", [](speaker_settings& s) { store_studio_preset(s.slots[4]); }},
        {"the reset", [](dsp_control& c) { c.reset_device(); }, "device_reset",
         [](speaker_settings& s) {
             s.input = 0;
             s.volume_tenths_db = 0;
             s.delay_tenths_ms = 0;
             s.active_preset = 2;
             for (std::size_t slot = 2; slot < s.slots.size(); ++slot)
                 store_default_preset(s.slots[slot]);
         }},
    };
    for (const auto& write : writes) {
        SCOPED_TRACE(write.name);
        speaker().reset("K5R");
        control = memory::make_data_ptr<dsp_control>(callback);
        read_speaker();
        speaker().clear_history();
        const std::size_t before = callback.count();
        const auto gate = hold_after_command(bp::flash_opcode::block_erase);
        write.start(*control);
        ASSERT_TRUE(gate->wait_until_held(hold_wait)) << "the write never erased its block";
        EXPECT_EQ(control->running_operations(), std::vector<std::string>{write.name});
        std::size_t reports_when_finished = 0;
        test_support::bounded_thread finisher([&] {
            control->finish_operations();
            reports_when_finished = callback.count();
        });
        gate->release();
        finisher.join_within(worker_wait, "finishing while a write is under way");
        EXPECT_EQ(reports_when_finished, before + 1) << "returned before the write had reported";
        EXPECT_EQ(callback.next(), write.report);
        EXPECT_TRUE(control->running_operations().empty());
        speaker_settings expected = emulated_speaker::factory_settings();
        write.change(expected);
        expect_block(expected);
        EXPECT_EQ(speaker().open_handle_count(), 0u) << "the speaker was not let go";
    }
}

// Waiting is not talking: a wait for another program's hold is given up, the speaker is never
// opened, and nothing starts afterwards.
TEST_F(DspControl, FinishingGivesUpAWaitForTheSpeakerAndStartsNothingMore)
{
    using test_support::virtual_clock;
    read_speaker();
    speaker().clear_history();
    test_support::other_program_lock other;
    control->write_main_settings_to_device();
    const std::uint64_t polls = virtual_clock::sleep_count() + 3;
    ASSERT_TRUE(test_support::eventually([&] { return virtual_clock::sleep_count() >= polls; }))
        << "the write did not wait for the speaker";
    std::size_t reports_when_finished = 0;
    test_support::bounded_thread([&] {
        control->finish_operations();
        reports_when_finished = callback.count();
    }).join_within(worker_wait, "finishing while an operation waits for another program");
    EXPECT_EQ(reports_when_finished, 2u) << "returned before the given-up write had reported";
    EXPECT_EQ(callback.next(), "main_settings_write_failed");
    EXPECT_EQ(speaker().open_count(), 0u) << "the given-up write opened the bridge";

    // Every operation now starts nothing and reports nothing (the teardown's count checks).
    other.let_go();
    control->read_main_settings_from_device();
    control->write_main_settings_to_device();
    control->read_user_preset_from_device(0);
    control->write_user_preset_to_device(0);
    control->reset_device();
    control->search_firmware_update();
    control->update_firmware();
    EXPECT_TRUE(control->running_operations().empty());
    test_support::bounded_thread([&] {
        control->finish_operations();
    }).join_within(worker_wait, "finishing again");
    EXPECT_EQ(speaker().open_count(), 0u);
    expect_flash_unchanged();
}

} // namespace
