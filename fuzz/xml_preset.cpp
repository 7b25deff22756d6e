// Fuzzes the XML layer with the preset reader behind it, and checks that the flat nesting
// check never finds less depth than TinyXML's own parser builds.
#include <speaker_link/settings/preset_file.h>

#include <quarro/err/exception.h>
#include <quarro/xml/tiny_xml.h>

#include "xml/xml_nesting.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

// The deepest element level of a parsed document, without recursion.
int element_depth(const TiXmlNode& document)
{
    int deepest = 0;
    std::vector<std::pair<const TiXmlNode*, int>> pending{{&document, 0}};
    while (!pending.empty()) {
        const auto [node, level] = pending.back();
        pending.pop_back();
        for (const TiXmlNode* child = node->FirstChild(); child != nullptr;
             child = child->NextSibling()) {
            if (child->ToElement() == nullptr)
                continue;
            deepest = std::max(deepest, level + 1);
            pending.emplace_back(child, level + 1);
        }
    }
    return deepest;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto* text = reinterpret_cast<const char*>(data);

    // Inputs stay far below the depth that would hurt, so TinyXML may parse them unchecked.
    std::string padded(text, ::strnlen(text, size));
    padded.append(4, '\0');
    TiXmlDocument unchecked;
    unchecked.Parse(padded.c_str(), nullptr, TIXML_ENCODING_UNKNOWN);
    const int built = element_depth(unchecked);
    const int found = xml::detail::nesting_depth(text, size, 1 << 20);
    if (found < built)
        std::abort(); // the check would let a deeper text through than it measured

    try {
        const auto document = xml::parse_document(text, size);
        xml::print_document(*document, "\t");
        const auto record = read_preset_document(*document);
        for (const auto& band : record->bands) {
            if (!band)
                std::abort(); // every user of a preset expects all eight bands
        }
    } catch (const err::exception&) {
        // A refused or incomplete preset is reported this way.
    }
    return 0;
}
