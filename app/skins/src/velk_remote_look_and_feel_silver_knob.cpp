// The look of the silver Q knobs.
#include "velk_remote_look_and_feel_silver_knob.h"

#include "PanelLayout.h"
#include "VELKLabelQ.h"

juce::Label* velk_remote_look_and_feel_silver_knob::createSliderTextBox(juce::Slider& slider)
{
    auto* label = new VELKLabelQ();
    setupSliderTextBox(*label, slider);
    return label;
}

juce::Slider::SliderLayout
velk_remote_look_and_feel_silver_knob::getSliderLayout(juce::Slider& slider)
{
    auto layout = juce::LookAndFeel_V2::getSliderLayout(slider);
    layout.textBoxBounds.translate(panel::qValueBoxShift, 0);
    return layout;
}
