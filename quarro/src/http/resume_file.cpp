// Reading and printing the resume file.
#include <quarro/http/resume_file.h>
#include <quarro/xml/tiny_xml.h>

#include <charconv>
#include <string>

namespace quarro {
namespace {

// The text of the element's child `name`; nothing when it is missing.
std::optional<std::string> child_text(const TiXmlElement& parent, const char* name)
{
    const TiXmlElement* child = parent.FirstChildElement(name);
    if (child == nullptr)
        return std::nullopt;
    const char* text = child->GetText();
    return std::string(text != nullptr ? text : "");
}

std::optional<i64> whole_number(const std::optional<std::string>& text)
{
    if (!text || text->empty())
        return std::nullopt;
    i64 value = 0;
    const char* end = text->data() + text->size();
    const auto result = std::from_chars(text->data(), end, value);
    if (result.ec != std::errc() || result.ptr != end)
        return std::nullopt;
    return value;
}

} // namespace

std::optional<resume_record> read_resume_record(const memory::data_ptr<memory::data>& block)
{
    const xml::tiny_xml_document document(block);
    const TiXmlElement* root = document.FirstChildElement();
    const TiXmlElement* download = root != nullptr ? root->FirstChildElement("download") : nullptr;
    if (download == nullptr)
        return std::nullopt;
    const std::optional<std::string> url = child_text(*download, "download_url");
    const std::optional<i64> total = whole_number(child_text(*download, "total_file_size"));
    const std::optional<i64> received = whole_number(child_text(*download, "bytes_received"));
    if (!url || url->empty() || !total || *total < -1 || !received || *received < 0)
        return std::nullopt;
    return resume_record{*url, *total, static_cast<u64>(*received)};
}

memory::data_ptr<memory::growable_data> print_resume_record(const resume_record& record)
{
    const auto document = xml::create_declaration_document();
    {
        xml::mutable_tiny_xml_node writer(document.get());
        writer.add_markup("!DOCTYPE downloads SYSTEM \"quarro/download.dtd\"");
        writer.open_element("downloads");
        writer.open_element("download");
        writer.set_attribute("version", "1.0");
        const std::pair<const char*, std::string> fields[] = {
            {"download_url", record.download_url},
            {"total_file_size", std::to_string(record.total_file_size)},
            {"bytes_received", std::to_string(record.bytes_received)},
        };
        for (const auto& [name, text] : fields) {
            writer.open_element(name);
            writer.add_text(text);
            writer.close_element();
        }
        writer.close_element();
        writer.close_element();
    }
    return xml::print_document(*document, "\t");
}

} // namespace quarro
