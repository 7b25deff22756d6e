// The value boxes' editors draw their caret two pixels left of the stock caret.
#include "MyCaretComponent.h"
#include "velk_remote_look_and_feel_standard_knob.h"

#include <gtest/gtest.h>

namespace {

juce::CaretComponent* findCaret(juce::Component& parent)
{
    for (auto* child : parent.getChildren()) {
        if (auto* caret = dynamic_cast<juce::CaretComponent*>(child))
            return caret;
        if (auto* caret = findCaret(*child))
            return caret;
    }
    return nullptr;
}

TEST(MyCaretComponent, ValueBoxEditorsDrawItTwoPixelsLeftOfTheStockCaret)
{
    juce::LookAndFeel_V3 stockSkin;
    velk_remote_look_and_feel_standard_knob knobSkin;
    juce::TextEditor stock;
    juce::TextEditor shifted;
    stock.setLookAndFeel(&stockSkin);
    shifted.setLookAndFeel(&knobSkin);
    for (auto* editor : {&stock, &shifted}) {
        editor->setBounds(0, 0, 76, 21);
        editor->setText("-3.5 dB", false);
        editor->setCaretPosition(3);
    }

    auto* stockCaret = findCaret(stock);
    auto* shiftedCaret = findCaret(shifted);
    ASSERT_NE(stockCaret, nullptr);
    ASSERT_NE(dynamic_cast<MyCaretComponent*>(shiftedCaret), nullptr);
    EXPECT_GT(stockCaret->getX(), 2);
    EXPECT_EQ(shiftedCaret->getBounds(), stockCaret->getBounds().translated(-2, 0));
}

} // namespace
