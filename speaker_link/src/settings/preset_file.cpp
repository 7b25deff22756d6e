// Reading and writing preset files through the XML node layer.
#include <speaker_link/settings/preset_file.h>

#include <quarro/err/exception.h>
#include <quarro/files/filepath.h>
#include <quarro/files/whole_file.h>
#include <quarro/tools/number_text.h>
#include <quarro/tools/text.h>
#include <quarro/xml/tiny_xml.h>

#include <charconv>
#include <cmath>
#include <system_error>

namespace {

// The element names of the file format. "frequeny" is the format's own spelling: files in
// users' hands carry it.
constexpr const char* root_element = "root";
constexpr const char* preset_element = "preset";
constexpr const char* name_element = "name";
constexpr const char* equalizer_element = "equalizer";
constexpr const char* band_element = "eq";
constexpr const char* type_element = "type";
constexpr const char* gain_element = "gain";
constexpr const char* frequency_element = "frequeny";
constexpr const char* q_element = "q";

// Longest number text looked at; the rest of a longer text is ignored.
constexpr std::size_t number_text_limit = 99;

void write_text_element(xml::mutable_tiny_xml_node& writer, const char* name,
                        const std::string& text)
{
    writer.open_element(name);
    writer.add_text(text);
    writer.close_element();
}

void write_number_element(xml::mutable_tiny_xml_node& writer, const char* name, quarro::f64 value)
{
    std::string text;
    quarro::to_string_with_precision(text, 1, value);
    write_text_element(writer, name, text);
}

quarro::f64 number_of(const TiXmlElement& element, const char* name, quarro::f64 default_value)
{
    return parse_preset_number(xml::get_child_text(&element, name, ""), default_value);
}

} // namespace

eq_band_type eq_band_type_from_name(const std::string& name)
{
    if (quarro::compare_no_case(name, eq_band_type_name(eq_band_type::low_shelf)) == 0)
        return eq_band_type::low_shelf;
    if (quarro::compare_no_case(name, eq_band_type_name(eq_band_type::high_shelf)) == 0)
        return eq_band_type::high_shelf;
    return eq_band_type::parametric_eq;
}

quarro::f64 parse_preset_number(const std::string& text, quarro::f64 default_value)
{
    if (text.empty() || !((text[0] >= '0' && text[0] <= '9') || text[0] == '-'))
        return default_value;
    std::string buffer = text.substr(0, number_text_limit);
    for (char& c : buffer) {
        if (c == ',')
            c = '.';
    }
    quarro::f64 value = 0.0;
    const auto result = std::from_chars(buffer.data(), buffer.data() + buffer.size(), value);
    if (result.ec == std::errc::invalid_argument)
        return 0.0; // a sign without digits
    if (result.ec != std::errc() || !std::isfinite(value))
        return default_value;
    return value;
}

memory::data_ptr<eq_band> read_eq_band_xml(const TiXmlElement& band)
{
    auto record = memory::make_data_ptr<eq_band>();
    record->type = eq_band_type_from_name(xml::get_child_text(&band, type_element, ""));
    record->gain = number_of(band, gain_element, 0.0);
    record->frequency = number_of(band, frequency_element, 20.0);
    record->q = number_of(band, q_element, 1.0);
    return record;
}

memory::data_ptr<preset> read_preset_xml(const TiXmlElement& preset_element_node)
{
    auto record = memory::make_data_ptr<preset>();
    record->name = xml::get_child_text(&preset_element_node, name_element, "");
    const TiXmlElement* equalizer = preset_element_node.FirstChildElement(equalizer_element);
    const TiXmlElement* band = equalizer != nullptr ? equalizer->FirstChildElement() : nullptr;
    std::size_t count = 0;
    for (; band != nullptr && count < preset::band_count; band = band->NextSiblingElement())
        record->bands[count++] = read_eq_band_xml(*band);
    if (count < preset::band_count)
        throw err::runtime_error("read_preset_xml() the preset has fewer than 8 bands!");
    return record;
}

void write_eq_band_xml(xml::mutable_tiny_xml_node& writer, const eq_band& band)
{
    write_text_element(writer, type_element, eq_band_type_name(band.type));
    write_number_element(writer, gain_element, band.gain);
    write_number_element(writer, frequency_element, band.frequency);
    if (band.type == eq_band_type::parametric_eq)
        write_number_element(writer, q_element, band.q);
}

void write_preset_xml(xml::mutable_tiny_xml_node& writer, const preset& record)
{
    write_text_element(writer, name_element, record.name);
    writer.open_element(equalizer_element);
    for (const auto& band : record.bands) {
        writer.open_element(band_element);
        if (band)
            write_eq_band_xml(writer, *band);
        writer.close_element();
    }
    writer.close_element();
}

memory::data_ptr<preset> read_preset_document(const TiXmlDocument& document)
{
    const TiXmlElement* root = document.RootElement();
    const TiXmlElement* element =
        root != nullptr ? root->FirstChildElement(preset_element) : nullptr;
    if (element == nullptr)
        throw err::runtime_error("read_preset_file() the file holds no preset!");
    return read_preset_xml(*element);
}

memory::data_ptr<preset> read_preset_file(const files::filepath& path)
{
    return read_preset_document(*xml::load_document(path));
}

void write_preset_file(const files::filepath& path, const preset& record)
{
    const auto document = xml::create_document(root_element);
    {
        xml::mutable_tiny_xml_node writer(document->RootElement());
        writer.open_element(preset_element);
        write_preset_xml(writer, record);
        writer.close_element();
    }
    files::write_file(path, *xml::print_document(*document, "\t"));
}
