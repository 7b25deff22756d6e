// The value box above a knob: editable, glowing while idle, plain while edited, numbers only,
// deaf to the mouse wheel.
#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** A juce::Label made by the knob skins for a slider's value. The skin sets its component
    effect (the glow); editing takes the effect off and puts it back afterwards. Message
    thread, as every juce::Label. */
class VELKLabel : public juce::Label
{
public:
    /** An empty label with no name. */
    VELKLabel();

    /** Ignores the wheel, so that scrolling over the box changes neither the box nor the knob. */
    void mouseWheelMove(const juce::MouseEvent&, const juce::MouseWheelDetails&) override;

protected:
    /** Saves and clears the label's component effect, then makes the stock editor with the
        selection in the text colour, the caret in the accent colour and at most 8 characters
        from "0123456789+- .,". The label owns the editor. */
    juce::TextEditor* createEditorComponent() override;

    /** Puts the saved component effect back, also when the edit is cancelled. */
    void editorAboutToBeHidden(juce::TextEditor* editor) override;

    /** Turns commas in the committed text into decimal points before the slider reads it, so
        that every knob, also a plain juce::Slider, takes "2,5" as 2.5. */
    void textWasEdited() override;

private:
    juce::ImageEffectFilter* savedEffect = nullptr;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(VELKLabel)
};
