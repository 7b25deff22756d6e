// Firmware version texts: the numbers read from them and which of two is newer.
#include <speaker_link/firmware/firmware_description.h>
#include <speaker_link/firmware/firmware_version.h>

#include <gtest/gtest.h>

#include <tuple>

namespace {

using numbers = std::array<quarro::u32, 4>;

TEST(FirmwareVersion, ParsesUpToFourNumbers)
{
    const std::tuple<const char*, numbers> cases[] = {
        {"", {0, 0, 0, 0}},
        {"1.0.7", {1, 0, 7, 0}},
        {"1.2.3.4.5", {1, 2, 3, 4}},
        {"1..2", {1, 2, 0, 0}},
        {".5", {5, 0, 0, 0}},
        {"2.x.3", {2, 0, 3, 0}},
        {"10b.7rc1", {10, 7, 0, 0}},
        {"99999999999.1", {2147483647, 1, 0, 0}},
        {"-1.2", {4294967295u, 2, 0, 0}},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(parse_firmware_version(text), expected) << '"' << text << '"';
}

TEST(FirmwareVersion, NewerComparesNumbersNotText)
{
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"1.0.10", "1.0.9", true},
        {"1.1", "1.0.8", true},
        {"1.0.8", "1.0.8", false},
        {"", "1.0.8", false},
        {"0.0.1", "", true},
        {"2.0.0", "10.0.0", false},
        {"1.0.8.1", "1.0.8", true},
        {"1.0.8.0.9", "1.0.8", false},
        {"1.0.8.1.0", "1.0.8.1.9", false},
        // The difference is signed: a negative number reads as a huge one but is not newer.
        {"-1.0", "1.0", false},
        {"1.0", "-1.0", true},
    };
    for (const auto& [online, current, newer] : cases)
        EXPECT_EQ(is_newer_firmware_version(online, current), newer)
            << online << " against " << current;
}

// A package's version goes into the settings block, which keeps a first number up to 1000 (1001
// is refused, see FirmwarePackageRefused).
TEST(FirmwareVersion, PackageVersionMayStartWith1000)
{
    const std::string json = R"({"firmware": "fw.hex", "version": "1000.0.0"})";
    const auto any_entry = [](const std::string&, quarro::u64) {
        return memory::data_ptr<memory::data>(memory::make_mutable_data());
    };
    EXPECT_EQ(read_flash_json(json.data(), json.data() + json.size(), any_entry).version,
              "1000.0.0");
}

} // namespace
