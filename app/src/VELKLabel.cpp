// The knobs' value box: glow while idle, restricted editing, no wheel.
#include "VELKLabel.h"

#include "DecimalText.h"

VELKLabel::VELKLabel() : juce::Label({}, {}) {}

void VELKLabel::mouseWheelMove(const juce::MouseEvent&, const juce::MouseWheelDetails&) {}

juce::TextEditor* VELKLabel::createEditorComponent()
{
    // The glow would blur the caret and the selection, so the value is edited without it.
    savedEffect = getComponentEffect();
    setComponentEffect(nullptr);

    auto* editor = juce::Label::createEditorComponent();
    editor->setColour(juce::TextEditor::highlightColourId, findColour(juce::Label::textColourId));
    editor->setColour(
        juce::CaretComponent::caretColourId,
        juce::Colour(juce::uint8(193), juce::uint8(143), juce::uint8(94), juce::uint8(255)));
    editor->setInputRestrictions(8, "0123456789+- .,");
    return editor;
}

void VELKLabel::editorAboutToBeHidden(juce::TextEditor*)
{
    setComponentEffect(savedEffect);
}

void VELKLabel::textWasEdited()
{
    const auto text = getText();
    const auto withPoints = DecimalText::withDecimalPoints(text);
    if (withPoints != text)
        setText(withPoints, juce::dontSendNotification);
}
