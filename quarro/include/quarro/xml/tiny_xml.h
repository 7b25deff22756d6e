// A thin layer over TinyXML through which the system writes and reads its small XML files:
// a writer that keeps a stack of open elements, documents made, parsed and printed.
#pragma once

#include <quarro/memory/data.h>
#include <quarro/memory/data_ptr.h>
#include <quarro/types.h>

#include <tinyxml.h>

#include <cstddef>
#include <list>
#include <memory>
#include <string>

namespace files {
class filepath;
}

namespace xml {

/// Appends elements, text, attributes and markup under a node while keeping a stack of open
/// elements. Operations that don't fit the state are refused: they do nothing. The nodes
/// belong to the TinyXML document; the writer deletes nothing. One thread.
class mutable_tiny_xml_node
{
public:
    /// Starts writing into `node` (usually the document or its root element), which must
    /// outlive the writer.
    explicit mutable_tiny_xml_node(TiXmlNode* node);
    mutable_tiny_xml_node(const mutable_tiny_xml_node&) = delete;
    mutable_tiny_xml_node& operator=(const mutable_tiny_xml_node&) = delete;
    virtual ~mutable_tiny_xml_node() = default;

    /// Unparsed markup such as a DOCTYPE line, printed as "<" + text + ">". Refused after text.
    void add_markup(const std::string& text);
    /// A new element under the innermost open node, which it becomes. Refused after text.
    void open_element(const std::string& name);
    /// An attribute on the innermost open element; only right after it was opened.
    void set_attribute(const std::string& name, const std::string& value);
    /// Text as the content of the innermost open element. Refused after a closed child.
    void add_text(const std::string& text);
    /// Closes the innermost open node. Closing the node the writer started with ends the
    /// writing: every later operation is refused.
    void close_element();

private:
    enum class state : quarro::u32
    {
        element_open = 1,
        element_closed = 2,
        text_written = 3,
        markup_written = 4,
    };

    TiXmlNode* innermost() const { return stack_.empty() ? nullptr : stack_.front(); }

    state state_ = state::element_open;
    std::list<TiXmlNode*> stack_; // front: the innermost open node
};

/// A document parsed from a block; the document does not keep the block. A null or empty
/// block, text that does not parse and text refused as parse_document refuses it give a
/// document without elements.
class tiny_xml_document : public TiXmlDocument
{
public:
    explicit tiny_xml_document(const memory::data_ptr<memory::data>& block);
};

/// A new document with the declaration (version "1.0", no encoding, no standalone) and a root
/// element of the given name.
std::unique_ptr<TiXmlDocument> create_document(const std::string& root_name);

/// A new document with only the declaration.
std::unique_ptr<TiXmlDocument> create_declaration_document();

/// Parses a text of `size` bytes (it ends early at a zero byte). Text that does not parse gives
/// a document without elements. Throws err::runtime_error, before parsing, for a text larger
/// than 1 MiB or nested deeper than 64 levels, which could exhaust the stack of the calling
/// thread. The caller owns the document. Any thread.
std::unique_ptr<TiXmlDocument> parse_document(const char* bytes, std::size_t size);

/// Reads and parses a file as parse_document does and throws what it throws. A file that
/// can't be opened or read throws the files::error classes (or err::exception).
std::unique_ptr<TiXmlDocument> load_document(const files::filepath& path);

/// The text of the first child element called `child_name` of `node`: its first text node's
/// value, or `default_text` (empty when null) when there is no such element, it holds no text,
/// or `node` is null.
std::string get_child_text(const TiXmlNode* node, const char* child_name, const char* default_text);

/// The whole document printed with one `indent` per nesting level (empty when null) and a
/// line feed after each line, in a new block holding exactly the printed bytes.
memory::data_ptr<memory::growable_data> print_document(const TiXmlDocument& document,
                                                       const char* indent);

} // namespace xml
