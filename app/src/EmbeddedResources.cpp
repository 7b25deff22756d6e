// Finding the embedded images and typefaces among the program's binary data.
#include "EmbeddedResources.h"

#include "PellaroBinaryData.h"

#include <cstring>

namespace EmbeddedResources {
namespace {

Bytes findByFileName(const char* fileName)
{
    for (int i = 0; i < PellaroBinaryData::namedResourceListSize; ++i) {
        if (std::strcmp(PellaroBinaryData::originalFilenames[i], fileName) != 0)
            continue;
        Bytes bytes;
        bytes.data = PellaroBinaryData::getNamedResource(PellaroBinaryData::namedResourceList[i],
                                                         bytes.size);
        return bytes;
    }
    // Every resource is embedded by the build; a missing one is a build fault.
    jassertfalse;
    return {};
}

} // namespace

Bytes getImageData(artwork::Image image)
{
    return findByFileName(artwork::info(image).fileName);
}

juce::Image getImage(artwork::Image image)
{
    const auto bytes = getImageData(image);
    if (bytes.data == nullptr)
        return {};
    return juce::ImageCache::getFromMemory(bytes.data, bytes.size);
}

Bytes getFontData(FontRole role)
{
    return findByFileName(role == FontRole::panel ? "panel_font.ttf" : "text_font.ttf");
}

juce::Typeface::Ptr createTypeface(FontRole role)
{
    const auto bytes = getFontData(role);
    if (bytes.data == nullptr)
        return nullptr;
    return juce::Typeface::createSystemTypefaceFor(bytes.data, static_cast<size_t>(bytes.size));
}

} // namespace EmbeddedResources
