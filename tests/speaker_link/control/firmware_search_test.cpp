// The firmware search through dsp_control against the local firmware service: the reply's
// members, the version comparison, the update flag, and every way a reply or a transfer fails.
#include <support/bounded_thread.h>
#include <support/bounded_wait.h>
#include <support/firmware_fixture.h>
#include <support/https_service.h>
#include <support/service_behaviour.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <tuple>

namespace {

using firmware_service::behaviour;
using test_support::answer_body;
using test_support::answer_late;
using test_support::answer_status;

// The emulated K5R carries firmware 1.0.7.
const std::string md5 = "0123456789abcdef0123456789ABCDEF";

std::string reply(const std::string& model, const std::string& version,
                  const std::string& file = "\\/fw\\/k5r.zip", const std::string& checksum = md5)
{
    return R"({"model_number":")" + model + R"(","version_number":")" + version +
           R"(","description":"x","checksum":")" + checksum + R"(","date":"2026-01-02","file":")" +
           file + R"("})";
}

using FirmwareSearch = FirmwareTest;

TEST_F(FirmwareSearch, RepliesAreReadAndComparedAsTheServiceSentThem)
{
    // name, body, report, whether the update is allowed (offered: when it is available)
    const std::tuple<const char*, std::string, const char*, bool> cases[] = {
        {"newer", reply("K5R", "1.0.9"), "firmware_update_available", true},
        {"equal", reply("K5R", "1.0.7"), "firmware_up_to_date", true},
        {"older", reply("K5R", "1.0.6"), "firmware_up_to_date", false},
        {"numbers, not text", reply("K5R", "1.0.10"), "firmware_update_available", true},
        {"a part of nine digits", reply("K5R", "1.0.123456789"), "firmware_update_available", true},
        {"mixed-case keys, lower-case model, nested",
         R"({"data":{"Model_Number":"k5r","VERSION_NUMBER":"1.1"},"x":[1,{"y":null}]})",
         "firmware_update_available", true},
        {"description holding ':' and ','",
         R"({"model_number":"K5R","description":"a: b, c: d","version_number":"1.0.8"})",
         "firmware_update_available", true},
        {"another model", reply("K4R", "1.0.9"), "firmware_up_to_date", false},
        {"no model", R"({"version_number":"1.0.9"})", "firmware_up_to_date", false},
        {"a name one letter longer", R"({"model_numbers":"K5R","version_number":"1.0.9"})",
         "firmware_up_to_date", false},
        {"no version", R"({"model_number":"K5R"})", "firmware_up_to_date", false},
        {"empty body", "", "firmware_up_to_date", false},
    };
    for (const auto& [name, body, report, allowed] : cases) {
        SCOPED_TRACE(name);
        TearDown();
        SetUp();
        service->set_behaviour(answer_body(body));
        control->search_firmware_update();
        EXPECT_EQ(callback.next(), report);
        EXPECT_EQ(control->is_firmware_update_allowed(), allowed);
        EXPECT_EQ(control->is_firmware_update_available(),
                  std::string(report) == "firmware_update_available");
    }
}

// Texts that would become a folder name or a download address, and transfers that fail (each
// kind of failed transfer is pinned by the HTTP tests): the search fails, nothing is stored and
// the update flag stays as it was. The log tells why, once.
TEST_F(FirmwareSearch, HostileRepliesAndFailedTransfersEndInFailure)
{
    const std::string refused = "The firmware service's reply was refused: ";
    const std::string latest = service->base_address() + "/wp-json/api/firmware/K5R/latest";
    // name, the service's behaviour, what the log line says
    const std::tuple<const char*, behaviour, std::string> cases[] = {
        {"version with a path", answer_body(reply("K5R", "1.0.9/../../x")),
         refused + R"(version_number "1.0.9/../../x")"},
        {"five numbers", answer_body(reply("K5R", "1.0.9.1.2")),
         refused + R"(version_number "1.0.9.1.2")"},
        {"empty version", answer_body(reply("K5R", "")), refused + R"(version_number "")"},
        {"a part of ten digits", answer_body(reply("K5R", "1.0.1234567890")),
         refused + R"(version_number "1.0.1234567890")"},
        {"file climbing up", answer_body(reply("K5R", "1.0.9", "\\/..\\/..\\/etc\\/passwd")),
         refused + "file"},
        {"file with a blank", answer_body(reply("K5R", "1.0.9", "\\/fw\\/a b.zip")),
         refused + "file"},
        {"file with another host", answer_body(reply("K5R", "1.0.9", "@evil.example\\/fw.zip")),
         refused + "file"},
        {"file with an @ inside", answer_body(reply("K5R", "1.0.9", "\\/fw@evil.zip")),
         refused + "file"},
        {"file without a leading slash", answer_body(reply("K5R", "1.0.9", "fw.zip")),
         refused + "file"},
        {"file with a query", answer_body(reply("K5R", "1.0.9", "\\/fw.zip?x=1")),
         refused + "file"},
        {"file ending in ..", answer_body(reply("K5R", "1.0.9", "\\/fw\\/..")), refused + "file"},
        {"file with .. in a name", answer_body(reply("K5R", "1.0.9", "\\/fw..zip")),
         refused + "file"},
        {"checksum of 31", answer_body(reply("K5R", "1.0.9", "\\/fw.zip", md5.substr(1))),
         refused + "checksum \"" + md5.substr(1) + "\""},
        {"checksum of 33", answer_body(reply("K5R", "1.0.9", "\\/fw.zip", md5 + "0")),
         refused + "checksum \"" + md5 + "0\""},
        {"checksum of 64", answer_body(reply("K5R", "1.0.9", "\\/fw.zip", md5 + md5)),
         refused + "checksum \"" + md5 + md5 + "\""},
        {"checksum not hex", answer_body(reply("K5R", "1.0.9", "\\/fw.zip", std::string(32, 'g'))),
         refused + "checksum \"" + std::string(32, 'g') + "\""},
        {"status 404", answer_status(404),
         "The firmware search failed: HTTP status 404 (" + latest + ")"},
        {"oversized reply", answer_body(reply("K5R", "1.0.9") + std::string(1024 * 1024, ' ')),
         "The firmware search failed: reply larger than 1048576 bytes (" + latest + ")"},
        {"stalled past the time limit", answer_late(5000),
         "The firmware search failed: Timeout was reached: "},
    };
    for (const auto& [name, b, logged] : cases) {
        SCOPED_TRACE(name);
        const std::size_t logged_before = log_text().size();
        service->set_behaviour(b);
        control->search_firmware_update(300);
        EXPECT_EQ(callback.next(), "firmware_search_failed");
        EXPECT_FALSE(control->is_firmware_update_allowed());
        EXPECT_FALSE(control->is_firmware_update_available());
        const std::string log = log_text().substr(logged_before);
        EXPECT_EQ(failure_lines(log), 1u) << log;
        EXPECT_NE(log.find(" (warning)\t\t" + logged), std::string::npos) << log;
    }
}

// An update found for one speaker must not be offered to the next one.
TEST_F(FirmwareSearch, AnotherSpeakerDropsTheUpdateFoundForTheLastOne)
{
    publish("1.0.9", "package");
    control->search_firmware_update();
    ASSERT_EQ(callback.next(), "firmware_update_available");
    ASSERT_TRUE(control->is_firmware_update_allowed());

    attach("K4R");
    control->read_main_settings_from_device();
    EXPECT_EQ(callback.next(), "speaker_changed");
    EXPECT_FALSE(control->is_firmware_update_allowed());
    EXPECT_FALSE(control->is_firmware_update_available());
}

TEST_F(FirmwareSearch, AnswerArrivingAfterTheSpeakerChangedIsNotKept)
{
    publish("1.0.9", "package");
    // Long enough for the read below, which runs on the virtual clock, to end first.
    service->set_behaviour(test_support::answer_late(1000));
    control->search_firmware_update();
    ASSERT_TRUE(test_support::eventually([&] { return service->request_count() == 1; }))
        << "the search never asked the service";

    attach("K4R");
    control->read_main_settings_from_device();
    EXPECT_EQ(callback.next(), "speaker_changed");
    EXPECT_EQ(callback.next(), "firmware_up_to_date");
    EXPECT_FALSE(control->is_firmware_update_allowed());
    EXPECT_FALSE(control->is_firmware_update_available());
}

// Quitting during a search must not wait for a service that holds its answer back.
TEST_F(FirmwareSearch, DestroyingTheControlEndsASearchTheServiceHoldsBack)
{
    service->set_behaviour(answer_late(60000));
    control->search_firmware_update();
    ASSERT_TRUE(test_support::eventually([&] { return service->request_count() == 1; }))
        << "the search never asked the service";
    const auto started = std::chrono::steady_clock::now();
    test_support::bounded_thread([&] {
        control.release();
    }).join_within(std::chrono::seconds(10), "destroying dsp_control during the search");
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(3));
    EXPECT_EQ(callback.next(), "firmware_search_failed");
}

// Over https, only a certificate that the test program trusts lets the search through.
TEST_F(FirmwareSearch, UntrustedCertificateIsAFailedSearch)
{
    for (const bool trusted : {true, false}) {
        test_support::https_service secure(packages.path(), trusted);
        secure->set_behaviour(answer_body(reply("K5R", "1.0.9")));
        address.set(secure->base_address());
        control->search_firmware_update();
        EXPECT_EQ(callback.next(),
                  trusted ? "firmware_update_available" : "firmware_search_failed");
    }
}

} // namespace
