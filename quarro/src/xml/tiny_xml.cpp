// The XML node layer over TinyXML.
#include <quarro/xml/tiny_xml.h>

#include <quarro/err/exception.h>
#include <quarro/files/hdd_file.h>
#include <quarro/files/whole_file.h>

#include "xml/xml_nesting.h"

#include <cstring>

#include <sys/stat.h>

namespace xml {
namespace {

// Bounds on what is handed to TinyXML: its parser recurses once per nesting level on the
// caller's stack, and the system's own files are a few kilobytes with five levels.
constexpr std::size_t max_text_bytes = 1024 * 1024;
constexpr int max_nesting_levels = 64;

[[noreturn]] void throw_too_large()
{
    throw err::runtime_error("xml::parse_document() the text is larger than 1 MiB!");
}

// TinyXML steps over a UTF-8 sequence by its first byte, up to three bytes past a text that
// ends in the middle of one: the copy it parses ends in four zero bytes. The text ends at its
// first zero byte, as the parser would see it.
void parse_checked(TiXmlDocument& document, const char* bytes, std::size_t size)
{
    size = ::strnlen(bytes, size);
    if (size > max_text_bytes)
        throw_too_large();
    if (detail::nesting_depth(bytes, size, max_nesting_levels) > max_nesting_levels)
        throw err::runtime_error("xml::parse_document() the text is nested deeper than 64 levels!");
    std::string text(bytes, size);
    text.append(4, '\0');
    // A text that does not parse leaves no elements, not the part read before the error:
    // callers look for the elements they need and must not take half a file for a whole one.
    document.Parse(text.c_str(), nullptr, TIXML_ENCODING_UNKNOWN);
    if (document.Error())
        document.Clear();
}

} // namespace

std::unique_ptr<TiXmlDocument> parse_document(const char* bytes, std::size_t size)
{
    auto document = std::make_unique<TiXmlDocument>();
    if (bytes != nullptr && size != 0)
        parse_checked(*document, bytes, size);
    return document;
}

mutable_tiny_xml_node::mutable_tiny_xml_node(TiXmlNode* node)
{
    if (node != nullptr)
        stack_.push_front(node);
}

void mutable_tiny_xml_node::add_markup(const std::string& text)
{
    if (state_ == state::text_written || innermost() == nullptr)
        return;
    auto* markup = new TiXmlUnknown();
    markup->SetValue(text);
    innermost()->LinkEndChild(markup);
    state_ = state::markup_written;
}

void mutable_tiny_xml_node::open_element(const std::string& name)
{
    if (state_ == state::text_written || innermost() == nullptr)
        return;
    TiXmlNode* element = innermost()->LinkEndChild(new TiXmlElement(name));
    stack_.push_front(element);
    state_ = state::element_open;
}

void mutable_tiny_xml_node::set_attribute(const std::string& name, const std::string& value)
{
    // Only an element has attributes: the document a writer may start with has none.
    TiXmlElement* element = innermost() != nullptr ? innermost()->ToElement() : nullptr;
    if (state_ != state::element_open || element == nullptr)
        return;
    element->SetAttribute(name, value);
}

void mutable_tiny_xml_node::add_text(const std::string& text)
{
    if (state_ == state::element_closed || innermost() == nullptr)
        return;
    innermost()->LinkEndChild(new TiXmlText(text));
    state_ = state::text_written;
}

void mutable_tiny_xml_node::close_element()
{
    if (stack_.empty())
        return;
    stack_.pop_front();
    state_ = state::element_closed;
}

tiny_xml_document::tiny_xml_document(const memory::data_ptr<memory::data>& block)
{
    if (block.get() == nullptr || block->bytes() == nullptr || block->size() == 0)
        return;
    try {
        parse_checked(*this, reinterpret_cast<const char*>(block->bytes()), block->size());
    } catch (const err::exception&) {
        // A text refused before parsing is as useless as one that does not parse.
    }
}

std::unique_ptr<TiXmlDocument> load_document(const files::filepath& path)
{
    memory::data_ptr<memory::data> text;
    {
        // Opening a named pipe waits for a writer that may never come, and a device has no
        // end: only plain files hold documents.
        struct stat status
        {};
        if (::stat(path.get_path().c_str(), &status) == 0 && !S_ISREG(status.st_mode))
            throw err::runtime_error("xml::load_document() the path names no plain file!");
        files::hdd_file file(path, files::File_Read_Access);
        // Refused before a huge file is read into memory at all.
        if (file.size() > static_cast<quarro::i64>(max_text_bytes))
            throw_too_large();
        text = files::read_file(file);
    }
    if (text.get() == nullptr || text->bytes() == nullptr)
        return std::make_unique<TiXmlDocument>();
    return parse_document(reinterpret_cast<const char*>(text->bytes()), text->size());
}

std::unique_ptr<TiXmlDocument> create_declaration_document()
{
    auto document = std::make_unique<TiXmlDocument>();
    document->LinkEndChild(new TiXmlDeclaration("1.0", "", ""));
    return document;
}

std::unique_ptr<TiXmlDocument> create_document(const std::string& root_name)
{
    auto document = create_declaration_document();
    document->LinkEndChild(new TiXmlElement(root_name));
    return document;
}

std::string get_child_text(const TiXmlNode* node, const char* child_name, const char* default_text)
{
    const std::string fallback = default_text != nullptr ? default_text : "";
    if (node == nullptr || child_name == nullptr)
        return fallback;
    const TiXmlElement* child = node->FirstChildElement(child_name);
    if (child == nullptr)
        return fallback;
    for (const TiXmlNode* inner = child->FirstChild(); inner != nullptr;
         inner = inner->NextSibling()) {
        if (inner->Type() == TiXmlNode::TINYXML_TEXT)
            return inner->ValueStr();
    }
    return fallback;
}

memory::data_ptr<memory::growable_data> print_document(const TiXmlDocument& document,
                                                       const char* indent)
{
    TiXmlPrinter printer;
    printer.SetIndent(indent != nullptr ? indent : "");
    printer.SetLineBreak("\n");
    document.Accept(&printer);
    const std::string& printed = printer.Str();
    auto block = memory::make_mutable_data(printed.size());
    block->append(printed.data(), printed.size());
    return block;
}

} // namespace xml
