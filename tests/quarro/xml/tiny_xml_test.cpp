// The XML writer's state rules, parsing from blocks and files, child texts and printing.
#include <quarro/err/exception.h>
#include <quarro/files/file_error.h>
#include <quarro/files/filepath.h>
#include <quarro/xml/tiny_xml.h>

#include "support/error_text.h"
#include "support/temporary_folder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>

namespace {

const std::string declaration = "<?xml version=\"1.0\" ?>\n";

// Runs a writer script on a new declaration document and prints the document. Steps are
// separated by '|': "<name" opens an element, ">" closes one, "@name=value" sets an attribute,
// "#text" adds text and "!text" adds markup.
std::string written(const std::string& script, const char* indent = "\t")
{
    auto document = xml::create_declaration_document();
    xml::mutable_tiny_xml_node writer(document.get());
    std::istringstream steps(script);
    for (std::string step; std::getline(steps, step, '|');) {
        const std::string rest = step.substr(1);
        if (step[0] == '<')
            writer.open_element(rest);
        else if (step[0] == '>')
            writer.close_element();
        else if (step[0] == '@')
            writer.set_attribute(rest.substr(0, rest.find('=')), rest.substr(rest.find('=') + 1));
        else if (step[0] == '#')
            writer.add_text(rest);
        else
            writer.add_markup(rest);
    }
    const auto block = xml::print_document(*document, indent);
    EXPECT_EQ(block->size(), block->capacity()); // exactly the printed bytes
    return std::string(reinterpret_cast<const char*>(block->bytes()), block->size());
}

TEST(TinyXmlWriter, WritesNestedElementsTextAndAttributes)
{
    EXPECT_EQ(written("!!DOCTYPE downloads SYSTEM \"quarro/download.dtd\"|<downloads|<download|"
                      "@version=1.0|<download_url|#http://firmware.example/a b.zip|>|"
                      "<bytes_received|#12|>|>|>"),
              declaration + "<!DOCTYPE downloads SYSTEM \"quarro/download.dtd\">\n"
                            "<downloads>\n"
                            "\t<download version=\"1.0\">\n"
                            "\t\t<download_url>http://firmware.example/a b.zip</download_url>\n"
                            "\t\t<bytes_received>12</bytes_received>\n"
                            "\t</download>\n"
                            "</downloads>\n");
    // Text is escaped; without an indent, lines start at once.
    EXPECT_EQ(written("<root|<name|#a<b & \"c\"|>", nullptr),
              declaration + "<root>\n<name>a&lt;b &amp; &quot;c&quot;</name>\n</root>\n");
}

TEST(TinyXmlWriter, RefusedOperationsChangeNothing)
{
    const struct
    {
        const char* label;
        const char* script;
        const char* expected;
    } cases[] = {{"element after text", "<root|<a|#t|<b|>", "<root>\n\t<a>t</a>\n</root>\n"},
                 {"text after close", "<root|<a|>|#t|<b|>", "<root>\n\t<a />\n\t<b />\n</root>\n"},
                 {"attribute only right after opening an element",
                  "@on=document|<root|@on=root|<a|@x=1|#t|@y=2|>|@z=3",
                  "<root on=\"root\">\n\t<a x=\"1\">t</a>\n</root>\n"},
                 {"nothing after the base node is closed", "<root|>|>|>|<late|#late|!late|@late=1",
                  "<root />\n"}};
    for (const auto& c : cases)
        EXPECT_EQ(written(c.script), declaration + c.expected) << c.label;
}

// The text of the root's "name" child, or what the document lacks.
std::string name_in(const TiXmlDocument& document)
{
    if (document.RootElement() == nullptr)
        return "(no root)";
    return xml::get_child_text(document.RootElement(), "name", "(no name)");
}

TEST(TinyXmlDocument, BlocksParseWholeOrNotAtAll)
{
    const std::string text = "<root><name>abc</name></root>";
    const std::string garbage = "\x01\xFF<<root";
    const struct
    {
        const char* label;
        memory::data_ptr<memory::data> block;
        const char* name;
    } cases[] = {{"unterminated", memory::make_data_copy(text.data(), text.size()), "abc"},
                 {"terminated", memory::make_data_copy(text.c_str(), text.size() + 1), "abc"},
                 {"null", nullptr, "(no root)"},
                 {"empty", memory::make_mutable_data(0), "(no root)"},
                 {"garbage", memory::make_data_copy(garbage.data(), garbage.size()), "(no root)"}};
    for (const auto& c : cases)
        EXPECT_EQ(name_in(xml::tiny_xml_document(c.block)), c.name) << c.label;
}

std::string repeated(const std::string& part, int count)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += part;
    return text;
}

TEST(ParseDocument, RefusesDeepOrLargeTextsBeforeParsing)
{
    const std::string deep = "xml::parse_document() the text is nested deeper than 64 levels!";
    const std::string large = "xml::parse_document() the text is larger than 1 MiB!";
    const std::string mebibyte_of_root = "<r>" + std::string(1024 * 1024 - 7, ' ') + "</r>";
    const struct
    {
        const char* label;
        std::string text;
        std::string refusal; // empty: parsed
    } cases[] = {
        {"64 levels", repeated("<a>", 64) + repeated("</a>", 64), ""},
        {"65 levels", repeated("<a>", 65) + repeated("</a>", 65), deep},
        {"empty 65th", repeated("<a>", 64) + "<b/>" + repeated("</a>", 64), deep},
        {"in a comment", "<r><!--" + repeated("<a>", 100) + "--></r>", ""},
        {"in CDATA", "<r><![CDATA[" + repeated("<a>", 100) + "]]></r>", ""},
        {"closed in a value", repeated("<a x=\"/>\"><b y='</a>'>", 33), deep},
        // Read as UTF-8 (the declaration names no encoding), the lead byte swallows the '<'.
        {"closed in UTF-8", "<?xml version=\"1.0\" ?>" + repeated("<a>\xC3</a>", 65), deep},
        {"closed in an entity", repeated("<a>&#x</a>x;", 65), deep},
        {"1 MiB", mebibyte_of_root, ""},
        {"1 MiB and a byte", mebibyte_of_root + " ", large},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        std::unique_ptr<TiXmlDocument> parsed;
        EXPECT_EQ(test_support::error_text<err::exception>(
                      [&] { parsed = xml::parse_document(c.text.data(), c.text.size()); }),
                  c.refusal.empty() ? "(no exception)" : c.refusal);
        // A block holding the same text gives a document without elements when refused.
        const xml::tiny_xml_document from_block(
            memory::make_data_copy(c.text.data(), c.text.size()));
        EXPECT_EQ(from_block.RootElement() == nullptr, !c.refusal.empty());
    }
}

TEST(LoadDocument, ParsesAFileAndToleratesEmptyOrDamagedOnes)
{
    test_support::temporary_folder folder;
    const struct
    {
        const char* content;
        const char* name;
    } cases[] = {{"<?xml version=\"1.0\" ?>\n<root><name>x</name></root>\n", "x"},
                 {"", "(no root)"},
                 {"<root><name>cut", "(no root)"}};
    for (const auto& c : cases) {
        test_support::write_text(folder / "doc.xml", c.content);
        const auto document = xml::load_document(files::filepath(folder / "doc.xml"));
        ASSERT_NE(document, nullptr);
        EXPECT_EQ(name_in(*document), c.name) << c.content;
    }
    const files::filepath gone(folder / "doc.xml");
    std::remove((folder / "doc.xml").c_str());
    EXPECT_EQ(
        test_support::error_text<files::error::cannot_open_file>([&] { xml::load_document(gone); }),
        "cannot open the file! it does not exist?\nfull path: \"" + (folder / "doc.xml") + "\"");
}

TEST(GetChildText, TextOrDefault)
{
    const std::string text = "<p><name>n</name><empty/><nested><x>1</x></nested><name>m</name></p>";
    xml::tiny_xml_document document(memory::make_data_copy(text.data(), text.size()));
    const TiXmlElement* p = document.RootElement();
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(xml::get_child_text(p, "name", "d"), "n");
    EXPECT_EQ(xml::get_child_text(p, "empty", "d"), "d");
    EXPECT_EQ(xml::get_child_text(p, "nested", "d"), "d");
    EXPECT_EQ(xml::get_child_text(p, "missing", nullptr), "");
    EXPECT_EQ(xml::get_child_text(nullptr, "name", "d"), "d");
}

} // namespace
