// Model and serial number out of the 9-byte model tag.
#include <speaker_link/settings/model_tag.h>

#include <gtest/gtest.h>

#include <cstring>

namespace {

model_tag tag_of(const char* text, std::size_t length)
{
    std::array<quarro::u8, 9> bytes{};
    std::memcpy(bytes.data(), text, length);
    return model_tag(bytes);
}

TEST(ModelTag, GivesTextModelAndSerial)
{
    const struct
    {
        const char* bytes;
        std::size_t length;
        const char* text;
        bool family;
        const char* model;
        const char* serial;
    } cases[] = {
        {"K5T004711", 9, "K5T004711", true, "K5T", "K-004711"},
        {"k4r0815", 7, "k4r0815", true, "k4r", "K-0815"},
        {"K6A12345", 8, "K6A12345", true, "K6", "K-A12345"},
        {"K", 1, "K", true, "K", "K-"},
        {"X5R004711", 9, "X5R004711", false, "X5R", "K-004711"},
        {"", 0, "", false, "", "K-"},
        {"K5R\0"
         "99",
         6, "K5R", true, "K5R", "K-"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const model_tag tag = tag_of(c.bytes, c.length);
        EXPECT_EQ(tag.text(), c.text);
        EXPECT_EQ(tag.is_family(), c.family);
        EXPECT_EQ(tag.model(), c.model);
        EXPECT_EQ(tag.serial(), c.serial);
    }
}

} // namespace
