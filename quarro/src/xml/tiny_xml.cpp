// The XML node layer over TinyXML.
#include <quarro/xml/tiny_xml.h>

#include <quarro/files/hdd_file.h>
#include <quarro/files/whole_file.h>

namespace xml {
namespace {

void parse_text(TiXmlDocument& document, const char* text)
{
    // A text that does not parse leaves no elements, not the part read before the error:
    // callers look for the elements they need and must not take half a file for a whole one.
    document.Parse(text, nullptr, TIXML_ENCODING_UNKNOWN);
    if (document.Error())
        document.Clear();
}

// Parses the block's bytes; TinyXML needs a terminated text, so an unterminated block is
// copied first. A null or empty block leaves the document without elements.
void parse_block(TiXmlDocument& document, const memory::data* block)
{
    if (block == nullptr || block->size() == 0 || block->bytes() == nullptr)
        return;
    const auto* bytes = reinterpret_cast<const char*>(block->bytes());
    if (bytes[block->size() - 1] == '\0') {
        parse_text(document, bytes);
    } else {
        const std::string text(bytes, block->size());
        parse_text(document, text.c_str());
    }
}

} // namespace

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
    parse_block(*this, block.get());
}

std::unique_ptr<TiXmlDocument> load_document(const files::filepath& path)
{
    auto document = std::make_unique<TiXmlDocument>();
    memory::data_ptr<memory::data> text;
    {
        files::hdd_file file(path, files::File_Read_Access);
        text = files::read_file(file);
    }
    parse_block(*document, text.get());
    return document;
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
