// The value boxes' caret.
#include "MyCaretComponent.h"

MyCaretComponent::MyCaretComponent(juce::Component* keyFocusOwner)
    : juce::CaretComponent(keyFocusOwner)
{}

void MyCaretComponent::setCaretPosition(const juce::Rectangle<int>& characterArea)
{
    juce::CaretComponent::setCaretPosition(characterArea.translated(-2, 0));
}
