// The look of the anthracite knobs, the settings buttons and the glowing value boxes.
#include "velk_remote_look_and_feel_standard_knob.h"

#include "MyCaretComponent.h"
#include "PanelLayout.h"
#include "SpriteSheet.h"
#include "VELKLabel.h"

velk_remote_look_and_feel_standard_knob::velk_remote_look_and_feel_standard_knob()
{
    glow.setGlowProperties(
        2.5f, juce::Colour(juce::uint8(160), juce::uint8(160), juce::uint8(160), juce::uint8(150)),
        {0, 0});
}

void velk_remote_look_and_feel_standard_knob::drawButtonBackground(juce::Graphics& g,
                                                                   juce::Button& button,
                                                                   const juce::Colour&,
                                                                   bool shouldDrawAsHighlighted,
                                                                   bool shouldDrawAsDown)
{
    SpriteSheet::drawFourStateButton(g, buttonSprite, artwork::settingsButton, button,
                                     shouldDrawAsHighlighted, shouldDrawAsDown);
}

void velk_remote_look_and_feel_standard_knob::drawButtonText(juce::Graphics&, juce::TextButton&,
                                                             bool, bool)
{}

juce::CaretComponent*
velk_remote_look_and_feel_standard_knob::createCaretComponent(juce::Component* keyFocusOwner)
{
    return new MyCaretComponent(keyFocusOwner);
}

void velk_remote_look_and_feel_standard_knob::drawRotarySlider(juce::Graphics& g, int x, int y,
                                                               int width, int height,
                                                               float sliderPos, float, float,
                                                               juce::Slider&)
{
    const auto knob = panel::knobInArea(x, y, width, height);
    SpriteSheet::drawCell(g, filmStrip, artwork::knob,
                          SpriteSheet::frameForPosition(sliderPos, artwork::knob.cells),
                          {knob.x, knob.y, knob.width, knob.height});
}

juce::Label* velk_remote_look_and_feel_standard_knob::createSliderTextBox(juce::Slider& slider)
{
    auto* label = new VELKLabel();
    setupSliderTextBox(*label, slider);
    return label;
}

void velk_remote_look_and_feel_standard_knob::setupSliderTextBox(juce::Label& label,
                                                                 juce::Slider& slider)
{
    const auto style = slider.getSliderStyle();
    const bool bar = style == juce::Slider::LinearBar || style == juce::Slider::LinearBarVertical;

    label.setJustificationType(juce::Justification::centred);
    label.setKeyboardType(juce::TextInputTarget::decimalKeyboard);
    label.setColour(juce::Label::textColourId,
                    slider.findColour(juce::Slider::textBoxTextColourId));
    label.setColour(juce::Label::backgroundColourId,
                    bar ? juce::Colours::transparentBlack
                        : slider.findColour(juce::Slider::textBoxBackgroundColourId));
    label.setColour(juce::Label::outlineColourId,
                    slider.findColour(juce::Slider::textBoxOutlineColourId));
    label.setColour(juce::TextEditor::textColourId,
                    slider.findColour(juce::Slider::textBoxTextColourId));
    label.setColour(
        juce::TextEditor::backgroundColourId,
        slider.findColour(juce::Slider::textBoxBackgroundColourId).withAlpha(bar ? 0.7f : 1.0f));
    label.setColour(juce::TextEditor::outlineColourId,
                    slider.findColour(juce::Slider::textBoxOutlineColourId));
    label.setColour(juce::TextEditor::highlightColourId,
                    slider.findColour(juce::Slider::textBoxHighlightColourId));

    label.setFont(font);
    label.setComponentEffect(&glow);
    label.setColour(juce::Label::outlineWhenEditingColourId, juce::Colour());
    label.setColour(juce::Label::backgroundWhenEditingColourId, juce::Colour());
}
