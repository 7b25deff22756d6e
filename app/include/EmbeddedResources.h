// The images and typefaces built into the program, by role: nothing is read from disk at run
// time.
#pragma once

#include "ArtworkLayout.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace EmbeddedResources {

/** Bytes built into the program; they live as long as the program. */
struct Bytes
{
    const void* data = nullptr;
    int size = 0;
};

/** The two typefaces: the condensed face of the panel and titles, the light face of texts. */
enum class FontRole
{
    panel,
    text
};

/** The PNG bytes of an image. Any thread. */
Bytes getImageData(artwork::Image image);

/** The decoded image, through juce::ImageCache (keyed by the data, so loading again reuses the
    decoded image). Message thread. */
juce::Image getImage(artwork::Image image);

/** The font file bytes of a typeface. Any thread. */
Bytes getFontData(FontRole role);

/** A new typeface made from the embedded font data; shared, released with its last pointer.
    Message thread. */
juce::Typeface::Ptr createTypeface(FontRole role);

} // namespace EmbeddedResources
