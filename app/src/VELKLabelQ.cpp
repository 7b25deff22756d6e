// The Q knob's value box.
#include "VELKLabelQ.h"

juce::TextEditor* VELKLabelQ::createEditorComponent()
{
    auto* editor = VELKLabel::createEditorComponent();
    editor->setInputRestrictions(4, "0123456789.,");
    return editor;
}
