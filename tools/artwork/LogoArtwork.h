// The maker's logo for the About box.
#pragma once

#include <juce_graphics/juce_graphics.h>

namespace logo {

/** 500 x 500, RGBA on transparent: a driver-cone emblem with the V monogram and the name. */
juce::Image paintAboutLogo();

/** 256 x 256, RGBA on transparent: the logo's emblem without the name, for the desktop entry. */
juce::Image paintApplicationIcon();

} // namespace logo
