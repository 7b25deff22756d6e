// The XML writer's state rules, parsing from blocks, child texts and printing.
#include <quarro/files/file_error.h>
#include <quarro/files/filepath.h>
#include <quarro/xml/tiny_xml.h>

#include "support/temporary_folder.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string printed(const TiXmlDocument& document)
{
    const auto block = xml::print_document(document, "\t");
    EXPECT_EQ(block->size(), block->capacity());
    return std::string(reinterpret_cast<const char*>(block->bytes()), block->size());
}

TEST(TinyXmlWriter, WritesNestedElementsTextAndAttributes)
{
    auto document = xml::create_declaration_document();
    xml::mutable_tiny_xml_node writer(document.get());
    writer.add_markup("!DOCTYPE downloads SYSTEM \"quarro/download.dtd\"");
    writer.open_element("downloads");
    writer.open_element("download");
    writer.set_attribute("version", "1.0");
    writer.open_element("download_url");
    writer.add_text("http://firmware.example/a b.zip");
    writer.close_element();
    writer.open_element("bytes_received");
    writer.add_text("12");
    writer.close_element();
    writer.close_element();
    writer.close_element();
    EXPECT_EQ(printed(*document),
              "<?xml version=\"1.0\" ?>\n"
              "<!DOCTYPE downloads SYSTEM \"quarro/download.dtd\">\n"
              "<downloads>\n"
              "\t<download version=\"1.0\">\n"
              "\t\t<download_url>http://firmware.example/a b.zip</download_url>\n"
              "\t\t<bytes_received>12</bytes_received>\n"
              "\t</download>\n"
              "</downloads>\n");
}

// Each row: what the writer does, then the printed root element.
struct writer_case
{
    const char* label;
    void (*steps)(xml::mutable_tiny_xml_node&);
    const char* expected;
};

void PrintTo(const writer_case& c, std::ostream* os)
{
    *os << c.label;
}

class TinyXmlWriterRefusal : public testing::TestWithParam<writer_case>
{};

TEST_P(TinyXmlWriterRefusal, RefusedOperationsChangeNothing)
{
    auto document = xml::create_document("root");
    {
        xml::mutable_tiny_xml_node writer(document->RootElement());
        GetParam().steps(writer);
    }
    const std::string text = printed(*document);
    EXPECT_EQ(text.substr(text.find('\n') + 1), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    States, TinyXmlWriterRefusal,
    testing::Values(writer_case{"ElementAfterTextIsRefused",
                                [](xml::mutable_tiny_xml_node& w) {
                                    w.open_element("a");
                                    w.add_text("t");
                                    w.open_element("b");
                                    w.close_element();
                                },
                                "<root>\n\t<a>t</a>\n</root>\n"},
                    writer_case{"TextAfterCloseIsRefused",
                                [](xml::mutable_tiny_xml_node& w) {
                                    w.open_element("a");
                                    w.close_element();
                                    w.add_text("t");
                                    w.open_element("b");
                                    w.close_element();
                                },
                                "<root>\n\t<a />\n\t<b />\n</root>\n"},
                    writer_case{"AttributeOnlyRightAfterOpening",
                                [](xml::mutable_tiny_xml_node& w) {
                                    w.set_attribute("on", "root");
                                    w.open_element("a");
                                    w.set_attribute("x", "1");
                                    w.add_text("t");
                                    w.set_attribute("y", "2");
                                    w.close_element();
                                    w.set_attribute("z", "3");
                                },
                                "<root on=\"root\">\n\t<a x=\"1\">t</a>\n</root>\n"},
                    writer_case{"NothingAfterTheBaseNodeIsClosed",
                                [](xml::mutable_tiny_xml_node& w) {
                                    w.open_element("a");
                                    w.close_element();
                                    w.close_element(); // the base node
                                    w.close_element();
                                    w.open_element("late");
                                    w.add_text("late");
                                    w.add_markup("late");
                                    w.set_attribute("late", "1");
                                },
                                "<root>\n\t<a />\n</root>\n"}),
    [](const testing::TestParamInfo<writer_case>& info) { return info.param.label; });

TEST(TinyXmlWriter, NoAttributeOnTheDocumentItself)
{
    auto document = xml::create_declaration_document();
    xml::mutable_tiny_xml_node writer(document.get());
    writer.set_attribute("x", "1"); // the document is no element
    writer.open_element("root");
    writer.close_element();
    EXPECT_EQ(printed(*document), "<?xml version=\"1.0\" ?>\n<root />\n");
}

TEST(TinyXmlDocument, BlockWithOrWithoutTerminatingZeroParsesAlike)
{
    const std::string text = "<root><name>abc</name></root>";
    auto unterminated = memory::make_data_copy(text.data(), text.size());
    auto terminated = memory::make_data_copy(text.c_str(), text.size() + 1);
    xml::tiny_xml_document a(unterminated);
    xml::tiny_xml_document b(terminated);
    EXPECT_EQ(xml::get_child_text(a.RootElement(), "name", "-"), "abc");
    EXPECT_EQ(xml::get_child_text(b.RootElement(), "name", "-"), "abc");
}

TEST(TinyXmlDocument, MissingEmptyOrDamagedBlocksGiveNoElements)
{
    const std::string garbage = "\x01\xFF<<root";
    const memory::data_ptr<memory::data> blocks[] = {
        memory::data_ptr<memory::data>(), memory::make_mutable_data(0),
        memory::make_data_copy(garbage.data(), garbage.size()),
        memory::make_data_copy("<root><a>", 9)};
    for (const auto& block : blocks) {
        xml::tiny_xml_document document(block);
        EXPECT_EQ(document.RootElement(), nullptr);
    }
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
    EXPECT_EQ(xml::get_child_text(p, "missing", "d"), "d");
    EXPECT_EQ(xml::get_child_text(p, "missing", nullptr), "");
    EXPECT_EQ(xml::get_child_text(nullptr, "name", "d"), "d");
}

TEST(PrintDocument, EscapesTextAndCanIndentWithNothing)
{
    auto document = xml::create_document("root");
    xml::mutable_tiny_xml_node writer(document->RootElement());
    writer.open_element("name");
    writer.add_text("a<b & \"c\"");
    writer.close_element();
    const auto block = xml::print_document(*document, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(block->bytes()), block->size()),
              "<?xml version=\"1.0\" ?>\n<root>\n<name>a&lt;b &amp; &quot;c&quot;</name>\n"
              "</root>\n");
}

TEST(LoadDocument, ParsesAFileAndToleratesEmptyOrDamagedOnes)
{
    test_support::temporary_folder folder;
    const struct
    {
        const char* content;
        const char* expected_name; // null: no root element
    } cases[] = {{"<?xml version=\"1.0\" ?>\n<root><name>x</name></root>\n", "x"},
                 {"", nullptr},
                 {"not xml at all", nullptr},
                 {"<root><name>cut", nullptr}};
    for (const auto& c : cases) {
        test_support::write_text(folder / "doc.xml", c.content);
        const auto document = xml::load_document(files::filepath(folder / "doc.xml"));
        ASSERT_NE(document, nullptr);
        if (c.expected_name == nullptr)
            EXPECT_EQ(document->RootElement(), nullptr) << c.content;
        else
            EXPECT_EQ(xml::get_child_text(document->RootElement(), "name", ""), c.expected_name);
    }
}

TEST(LoadDocument, AFileThatIsGoneThrowsTheOpenError)
{
    test_support::temporary_folder folder;
    test_support::write_text(folder / "doc.xml", "<root/>");
    const files::filepath path(folder / "doc.xml");
    std::remove((folder / "doc.xml").c_str());
    try {
        xml::load_document(path);
        FAIL() << "no error";
    } catch (const files::error::cannot_open_file& error) {
        EXPECT_EQ(std::string(error.what()).rfind("cannot open the file! it does not exist?", 0),
                  0u);
    }
}

} // namespace
