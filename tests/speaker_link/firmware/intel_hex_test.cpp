// Intel HEX images into the block table: record framing, addressing and bit order.
#include <speaker_link/firmware/intel_hex.h>

#include <support/firmware_package_builder.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

using test_support::hex_record;

struct hex_case
{
    const char* name;
    std::vector<std::string> images; ///< parsed in order into one table
    /// Stored bytes (bit-reversed) by block and offset; every other byte of a present block
    /// must be 0x00, and no other block may be present.
    std::map<std::uint32_t, std::map<std::uint32_t, std::uint8_t>> stored;
};

void PrintTo(const hex_case& c, std::ostream* out)
{
    *out << c.name;
}

const std::string data_01_0f = hex_record(0, 0x1234, {0x01, 0x0F});
const std::string block_3 = ":020000040003F7";
const std::string end = ":00000001FF";

const hex_case hex_cases[] = {
    {"CrLfSeparated",
     {block_3 + "\r\n" + data_01_0f + "\r\n" + end + "\r\n"},
     {{3, {{0x1234, 0x80}, {0x1235, 0xF0}}}}},
    {"NotSeparated", {block_3 + data_01_0f + end}, {{3, {{0x1234, 0x80}, {0x1235, 0xF0}}}}},
    {"WrongChecksumStillTaken",
     {hex_record(0, 0x0010, {0xA5}, 1) + "\n" + end},
     {{0, {{0x0010, 0xA5}}}}},
    {"CutOffLastRecordNotTaken",
     {hex_record(0, 0, {0x01}) + "\n" + hex_record(0, 2, {0x01, 0x01}).substr(0, 12)},
     {{0, {{0, 0x80}}}}},
    {"OtherRecordTypesPassedOver",
     {hex_record(2, 0, {0x10, 0x00}) + hex_record(5, 0, {0, 0, 0, 1}) + hex_record(0, 1, {0x03}) +
      end},
     {{0, {{1, 0xC0}}}}},
    {"NothingAfterTheEndRecord",
     {hex_record(0, 0, {0x01}) + end + hex_record(0, 1, {0x01})},
     {{0, {{0, 0x80}}}}},
    {"ExtendedAddressAloneMakesAnEmptyBlock", {":02000004001BDF" + end}, {{27, {}}}},
    {"LaterImageOverwritesAndReusesTheBlock",
     {block_3 + hex_record(0, 0x10, {0x01, 0x01}) + end,
      block_3 + hex_record(0, 0x11, {0x0F}) + end},
     {{3, {{0x10, 0x80}, {0x11, 0xF0}}}}},
};

class IntelHex : public ::testing::TestWithParam<hex_case>
{};

TEST_P(IntelHex, FillsTheBlockTable)
{
    firmware_block_table blocks;
    for (const std::string& image : GetParam().images)
        parse_intel_hex(blocks, memory::data(image.data(), image.size()));
    for (std::uint32_t index = 0; index < firmware_block_count; ++index) {
        const auto expected = GetParam().stored.find(index);
        if (expected == GetParam().stored.end()) {
            EXPECT_TRUE(blocks[index].empty()) << "block " << index << " is present";
            continue;
        }
        ASSERT_FALSE(blocks[index].empty()) << "block " << index << " is missing";
        ASSERT_EQ(blocks[index]->size(), bridge_protocol::flash_block_size_bytes);
        for (std::uint32_t offset = 0; offset < bridge_protocol::flash_block_size_bytes; ++offset) {
            const auto byte = expected->second.find(offset);
            const std::uint8_t want = byte == expected->second.end() ? 0x00 : byte->second;
            ASSERT_EQ(blocks[index]->bytes()[offset], want)
                << "block " << index << " offset 0x" << std::hex << offset;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Images, IntelHex, ::testing::ValuesIn(hex_cases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(IntelHexRefused, AddressesOutsideTheFirmwareRegionAndTextWithoutRecords)
{
    for (const std::string& image :
         {":02000004001CDE" + hex_record(0, 0, {1}), hex_record(0, 0xFFFF, {1, 2}),
          hex_record(4, 0, {0x01}) + end, std::string("no records here")}) {
        firmware_block_table blocks;
        EXPECT_THROW(parse_intel_hex(blocks, memory::data(image.data(), image.size())),
                     firmware_package_error)
            << image;
    }
}

} // namespace
