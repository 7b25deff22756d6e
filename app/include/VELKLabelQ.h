// The value box above a Q knob: as VELKLabel, but only short unsigned numbers.
#pragma once

#include "VELKLabel.h"

/** A VELKLabel whose editor takes at most 4 characters from "0123456789.,". Message thread. */
class VELKLabelQ : public VELKLabel
{
public:
    VELKLabelQ() = default;

protected:
    /** VELKLabel's editor with the narrower restriction. The label owns the editor. */
    juce::TextEditor* createEditorComponent() override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(VELKLabelQ)
};
