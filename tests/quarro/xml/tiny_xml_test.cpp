// The XML writer's state rules, parsing from blocks and files, child texts and printing.
#include <quarro/err/exception.h>
#include <quarro/files/filepath.h>
#include <quarro/xml/tiny_xml.h>

#include "support/error_text.h"
#include "support/temporary_folder.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <tuple>

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

// Nesting, attributes, markup and the "\t" indent are pinned byte for byte by the download's
// resume files; here the escaping, and lines without an indent.
TEST(TinyXmlWriter, EscapesTextAndIndentsOnlyWhenAsked)
{
    EXPECT_EQ(written("<root|<name|#a<b & \"c\"|>", nullptr),
              declaration + "<root>\n<name>a&lt;b &amp; &quot;c&quot;</name>\n</root>\n");
}

TEST(TinyXmlWriter, RefusedOperationsChangeNothing)
{
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"element after text", "<root|<a|#t|<b|>", "<root>\n\t<a>t</a>\n</root>\n"},
        {"text after close", "<root|<a|>|#t|<b|>", "<root>\n\t<a />\n\t<b />\n</root>\n"},
        {"attribute only right after opening an element",
         "@on=document|<root|@on=root|<a|@x=1|#t|@y=2|>|@z=3",
         "<root on=\"root\">\n\t<a x=\"1\">t</a>\n</root>\n"},
        {"nothing after the base node is closed", "<root|>|>|>|<late|#late|!late|@late=1",
         "<root />\n"}};
    for (const auto& [label, script, expected] : cases)
        EXPECT_EQ(written(script), declaration + expected) << label;
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
    const std::tuple<const char*, memory::data_ptr<memory::data>, const char*> cases[] = {
        {"unterminated", memory::make_data_copy(text.data(), text.size()), "abc"},
        {"terminated", memory::make_data_copy(text.c_str(), text.size() + 1), "abc"},
        {"null", nullptr, "(no root)"},
        {"empty", memory::make_mutable_data(0), "(no root)"},
        {"garbage", memory::make_data_copy(garbage.data(), garbage.size()), "(no root)"}};
    for (const auto& [label, block, name] : cases)
        EXPECT_EQ(name_in(xml::tiny_xml_document(block)), name) << label;
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
    // label, text, refusal (empty: parsed)
    const std::tuple<const char*, std::string, std::string> cases[] = {
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
    for (const auto& [label, text, refusal] : cases) {
        SCOPED_TRACE(label);
        std::unique_ptr<TiXmlDocument> parsed;
        EXPECT_EQ(test_support::error_text<err::exception>([&, &text = text] {
                      parsed = xml::parse_document(text.data(), text.size());
                  }),
                  refusal.empty() ? "(no exception)" : refusal);
        // A block holding the same text gives a document without elements when refused.
        const xml::tiny_xml_document from_block(memory::make_data_copy(text.data(), text.size()));
        EXPECT_EQ(from_block.RootElement() == nullptr, !refusal.empty());
    }
}

// A damaged file is no error either: it gives a document without elements, not the part that
// parsed.
TEST(LoadDocument, ParsesAFileAndToleratesEmptyOrDamagedOnes)
{
    test_support::temporary_folder folder;
    const auto loaded = [&](const std::string& content) {
        test_support::write_text(folder / "doc.xml", content);
        return name_in(*xml::load_document(files::filepath(folder / "doc.xml")));
    };
    EXPECT_EQ(loaded("<?xml version=\"1.0\" ?>\n<root><name>x</name></root>\n"), "x");
    EXPECT_EQ(loaded(""), "(no root)");
    EXPECT_EQ(loaded("<root><name>cut"), "(no root)");
}

TEST(GetChildText, TextOrDefault)
{
    const std::string text = "<p><name>n</name><empty/><nested><x>1</x></nested><name>m</name></p>";
    xml::tiny_xml_document document(memory::make_data_copy(text.data(), text.size()));
    const TiXmlElement* p = document.RootElement(); // null: the first check fails
    EXPECT_EQ(xml::get_child_text(p, "name", "d"), "n");
    EXPECT_EQ(xml::get_child_text(p, "empty", "d"), "d");
    EXPECT_EQ(xml::get_child_text(p, "nested", "d"), "d");
    EXPECT_EQ(xml::get_child_text(p, "missing", nullptr), "");
    EXPECT_EQ(xml::get_child_text(nullptr, "name", "d"), "d");
}

} // namespace
