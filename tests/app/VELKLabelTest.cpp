// The knobs' value boxes: what the editors let in, the glow off while editing and back after,
// commas read as decimal points, the wheel ignored.
#include "VELKLabel.h"
#include "AudioVolumeSlider.h"
#include "EQQSlider.h"
#include "VELKLabelQ.h"
#include "velk_remote_look_and_feel_silver_knob.h"
#include "velk_remote_look_and_feel_standard_knob.h"

#include <gtest/gtest.h>

namespace {

/** A rotary knob with an editable value box above it, drawn by a knob skin. */
template <typename Slider, typename Skin>
struct KnobWithValueBox
{
    KnobWithValueBox(double minimum, double maximum, double step, const juce::String& suffix)
    {
        slider.setRange(minimum, maximum, step);
        slider.setTextValueSuffix(suffix);
        slider.setSliderStyle(juce::Slider::Rotary);
        slider.setTextBoxStyle(juce::Slider::TextBoxAbove, false, 80, 21);
        slider.setLookAndFeel(&skin);
        slider.setBounds(0, 0, 76, 104);
    }
    ~KnobWithValueBox() { slider.setLookAndFeel(nullptr); }

    juce::Label& valueBox() { return dynamic_cast<juce::Label&>(*slider.getChildComponent(0)); }

    /** Opens the box's editor, empties it and types the text key by key. Off screen the editor
        cannot take the keyboard focus (JUCE logs an assertion saying so); nothing here needs it,
        and a window would need a window manager's atoms that a bare Xvfb lacks. */
    juce::TextEditor& type(const juce::String& text)
    {
        valueBox().showEditor();
        auto* editor = valueBox().getCurrentTextEditor();
        if (editor == nullptr)
            throw std::logic_error("the value box opened no editor");
        editor->setText({}, false);
        for (const auto character : text)
            editor->keyPressed(juce::KeyPress(static_cast<int>(character), {}, character));
        return *editor;
    }

    Skin skin;
    Slider slider;
};

using LevelKnob = KnobWithValueBox<AudioVolumeSlider, velk_remote_look_and_feel_standard_knob>;
using QKnob = KnobWithValueBox<EQQSlider, velk_remote_look_and_feel_silver_knob>;
using DelayKnob = KnobWithValueBox<juce::Slider, velk_remote_look_and_feel_standard_knob>;

TEST(VELKLabel, EditorTakesAtMostEightNumberCharactersAndTheQBoxFourUnsigned)
{
    const struct
    {
        bool q;
        const char* typed;
        const char* kept;
    } rows[] = {
        {false, "123456789", "12345678"}, {false, "-3.5 dB", "-3.5 "}, {false, "1e5", "15"},
        {true, "12345", "1234"},          {true, "-1", "1"},           {true, "0,5", "0,5"},
    };
    LevelKnob level(-12, 12, 0.1, " dB");
    QKnob q(0.1, 20, 0.1, {});
    ASSERT_NE(dynamic_cast<VELKLabelQ*>(&q.valueBox()), nullptr);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.typed);
        auto& box = row.q ? q.valueBox() : level.valueBox();
        EXPECT_EQ((row.q ? q.type(row.typed) : level.type(row.typed)).getText(),
                  juce::String(row.kept));
        box.hideEditor(true);
    }
}

TEST(VELKLabel, GlowIsOffWhileEditingAndBackAfterwards)
{
    LevelKnob knob(-12, 12, 0.1, " dB");
    auto& box = knob.valueBox();
    ASSERT_EQ(box.getComponentEffect(), &knob.skin.glow);

    for (const bool cancel : {true, false}) {
        SCOPED_TRACE(cancel ? "cancelled" : "committed");
        box.showEditor();
        ASSERT_NE(box.getCurrentTextEditor(), nullptr);
        EXPECT_EQ(box.getComponentEffect(), nullptr);
        box.hideEditor(cancel);
        EXPECT_EQ(box.getComponentEffect(), &knob.skin.glow);
    }
}

TEST(VELKLabel, CommittedCommaIsReadAsTheDecimalPoint)
{
    DelayKnob delay(0, 5, 0.1, " ms"); // a plain juce::Slider
    delay.type("2,5");
    delay.valueBox().hideEditor(false);
    EXPECT_NEAR(delay.slider.getValue(), 2.5, 1e-9);
    EXPECT_EQ(delay.valueBox().getText(), "2.5 ms");
}

TEST(VELKLabel, MouseWheelOverTheBoxLeavesTheKnobAlone)
{
    LevelKnob knob(-12, 12, 0.1, " dB");
    knob.slider.setValue(0.0, juce::dontSendNotification);
    auto& box = knob.valueBox();

    juce::MouseWheelDetails wheel{};
    wheel.deltaY = 0.5f;
    const auto eventAt = [&](juce::Component& target, juce::Time time) {
        return juce::MouseEvent(juce::Desktop::getInstance().getMainMouseSource(), {10.0f, 10.0f},
                                {}, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, &target, &target, time,
                                {10.0f, 10.0f}, time, 0, false);
    };
    box.mouseWheelMove(eventAt(box, juce::Time(1000)), wheel);
    EXPECT_EQ(knob.slider.getValue(), 0.0);
    EXPECT_EQ(box.getText(), "0.0 dB");

    // The same wheel over the knob itself does turn it, so the event above was a real one.
    knob.slider.mouseWheelMove(eventAt(knob.slider, juce::Time(2000)), wheel);
    EXPECT_NE(knob.slider.getValue(), 0.0);
}

} // namespace
