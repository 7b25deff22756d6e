// The split of a path text into file name, base name and extension.
#include <quarro/files/file_name_parts.h>

#include <gtest/gtest.h>

namespace {

TEST(SplitFileName, FileBaseAndExtension)
{
    const struct
    {
        const char* text;
        const char* file_name;
        const char* base_name;
        const char* extension;
    } cases[] = {{"a/b.c.txt", "b.c.txt", "b.c", "txt"}, {"x\\y.", "y.", "y", ""},
                 {"a/readme", "readme", "readme", ""},   {"", "", "", ""},
                 {"dir.d/file", "file", "file", ""},     {".hidden", ".hidden", "", "hidden"},
                 {"a\\b/c.xml", "c.xml", "c", "xml"}};
    for (const auto& c : cases) {
        const files::file_name_parts parts = files::split_file_name(c.text);
        EXPECT_EQ(parts.file_name, c.file_name) << c.text;
        EXPECT_EQ(parts.base_name, c.base_name) << c.text;
        EXPECT_EQ(parts.extension, c.extension) << c.text;
    }
}

} // namespace
