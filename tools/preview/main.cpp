// Renders the skinned controls over the panel's backgrounds, as the panel lays them out, and
// each button in each of its states, into PNG files for looking at the artwork as a user sees
// it. A developer's tool: nothing here is part of the product.
//
// Usage: pellaro_preview <output folder>
#include "ActivePresetSlider.h"
#include "AudioInputSlider.h"
#include "AudioVolumeSlider.h"
#include "EQFrequencySlider.h"
#include "EQQSlider.h"
#include "EmbeddedResources.h"
#include "PanelLayout.h"
#include "velk_remote_look_and_feel_active_preset_knob.h"
#include "velk_remote_look_and_feel_firmware_button.h"
#include "velk_remote_look_and_feel_gold_knob.h"
#include "velk_remote_look_and_feel_help_button.h"
#include "velk_remote_look_and_feel_input_knob.h"
#include "velk_remote_look_and_feel_open_close_button.h"
#include "velk_remote_look_and_feel_preset_button.h"
#include "velk_remote_look_and_feel_silver_knob.h"
#include "velk_remote_look_and_feel_standard_button.h"
#include "velk_remote_look_and_feel_standard_knob.h"

#include <iostream>

namespace {

using artwork::Image;

juce::Rectangle<int> toRectangle(const panel::Bounds& b)
{
    return {b.x, b.y, b.width, b.height};
}

/** The panel with its controls at the layout's bounds and sample values. */
class PanelPreview : public juce::Component
{
public:
    PanelPreview(bool expandedPanel, int presets) : expanded(expandedPanel), userPresets(presets)
    {
        panelFont =
            juce::Font(EmbeddedResources::createTypeface(EmbeddedResources::FontRole::panel));
        panelFont.setHeight(21.0f);
        panelFont.setExtraKerningFactor(0.05f);

        inputSkin.filmStrip = EmbeddedResources::getImage(Image::knobInput);
        presetSkin.filmStrip = EmbeddedResources::getImage(
            presets >= 3 ? Image::knobActivePreset : Image::knobActivePresetTwoUser);
        standardSkin.filmStrip = EmbeddedResources::getImage(Image::knobStandardStrip);
        standardSkin.buttonSprite = EmbeddedResources::getImage(Image::buttonGetSettings);
        silverSkin.filmStrip = EmbeddedResources::getImage(Image::knobSilverStrip);
        goldSkin.filmStrip = EmbeddedResources::getImage(Image::knobGoldStrip);
        for (auto* skin :
             {&standardSkin, static_cast<velk_remote_look_and_feel_standard_knob*>(&silverSkin),
              static_cast<velk_remote_look_and_feel_standard_knob*>(&goldSkin)})
            skin->font = panelFont;
        sendSkin.buttonSprite = EmbeddedResources::getImage(Image::buttonSendSettings);
        resetSkin.buttonSprite = EmbeddedResources::getImage(Image::buttonReset);
        loadSkin.sprite = EmbeddedResources::getImage(Image::buttonLoad);
        saveSkin.sprite = EmbeddedResources::getImage(Image::buttonSave);
        getSkin.sprite = EmbeddedResources::getImage(Image::buttonUserPresetGet);
        putSkin.sprite = EmbeddedResources::getImage(Image::buttonUserPresetSend);
        firmwareSkin.sprite = EmbeddedResources::getImage(Image::buttonFirmware);
        toggleSkin.sprite = EmbeddedResources::getImage(Image::buttonOpenClose);
        helpSkin.buttonSprite = EmbeddedResources::getImage(Image::buttonHelp);

        addKnob(input, inputSkin, toRectangle(panel::inputSlider), 0, 2, 1, 1);
        addKnob(voicing, presetSkin, toRectangle(panel::activePresetSlider), 1, 5, 1, 3);
        addValueKnob(volume, standardSkin, panel::volumeSlider, -60, 12, 0.1, -6.5, " dB",
                     0xffd8d8d8, 20);
        addValueKnob(delay, standardSkin, panel::delaySlider, 0, 5, 0.1, 1.2, " ms", 0xffd8d8d8,
                     20);

        addButton(get, standardSkin, toRectangle(panel::readSettingsButton), true);
        addButton(send, sendSkin, toRectangle(panel::writeSettingsButton), true);
        addButton(reset, resetSkin, toRectangle(panel::resetButton), false);
        addButton(help, helpSkin, toRectangle(panel::helpButton), true);
        addButton(firmware, firmwareSkin, toRectangle(panel::updateFirmwareButton.at(expanded)),
                  true);
        get.setState(juce::Button::buttonOver);

        toggle.setLookAndFeel(&toggleSkin);
        toggle.setToggleState(expanded, juce::dontSendNotification);
        toggle.setBounds(toRectangle(panel::openCloseButton.at(expanded)));
        addAndMakeVisible(toggle);

        addLabel(model, "Model: K5T (Serial: 10423)", panel::modelLabel.at(expanded),
                 juce::Justification::centredLeft, 14.0f);
        addLabel(status, "(Firmware V1.0.9 available)", panel::statusLabel.at(expanded),
                 juce::Justification::centredRight, 14.0f);
        addLabel(version, "Firmware: 1.0.8", panel::firmwareLabel.at(expanded),
                 juce::Justification::centredLeft, 14.0f);

        if (expanded)
            addEqualiser();
        setSize(panel::width, expanded ? panel::expandedHeight : panel::collapsedHeight);
    }

    ~PanelPreview() override
    {
        for (auto* child : getChildren())
            child->setLookAndFeel(nullptr);
    }

    void paint(juce::Graphics& g) override
    {
        g.setColour(juce::Colours::black);
        if (expanded) {
            const auto background = EmbeddedResources::getImage(Image::backgroundExpanded);
            g.drawImage(background, 0, 0, panel::width, panel::expandedHeight, 0, 0,
                        background.getWidth(), background.getHeight());
            const bool three = userPresets == 3;
            const auto strip =
                EmbeddedResources::getImage(three ? Image::userPresets3 : Image::userPresets2);
            const auto at = three ? panel::userPresetStrip3 : panel::userPresetStrip2;
            if (userPresets == 2 || userPresets == 3)
                g.drawImage(strip, at.x, at.y, at.width, at.height, 0, 0, strip.getWidth(),
                            strip.getHeight());
        } else {
            const auto background = EmbeddedResources::getImage(Image::backgroundCollapsed);
            g.drawImage(background, 0, 0, panel::width, panel::collapsedHeight, 0, 0,
                        background.getWidth(), 606);
        }
    }

private:
    void addKnob(juce::Slider& slider, juce::LookAndFeel& skin, juce::Rectangle<int> bounds,
                 double minimum, double maximum, double step, double value)
    {
        slider.setSliderStyle(juce::Slider::Rotary);
        slider.setRange(minimum, maximum, step);
        slider.setTextBoxStyle(juce::Slider::NoTextBox, true, 80, 20);
        slider.setLookAndFeel(&skin);
        slider.setValue(value, juce::dontSendNotification);
        slider.setBounds(bounds);
        addAndMakeVisible(slider);
    }

    void addValueKnob(juce::Slider& slider, juce::LookAndFeel& skin, const panel::Bounds& bounds,
                      double minimum, double maximum, double step, double value,
                      const juce::String& suffix, juce::uint32 textColour, int boxHeight,
                      int boxWidth = panel::valueBoxWidth)
    {
        slider.setSliderStyle(juce::Slider::Rotary);
        slider.setRange(minimum, maximum, step);
        slider.setTextBoxStyle(juce::Slider::TextBoxAbove, false, boxWidth, boxHeight);
        slider.setColour(juce::Slider::textBoxTextColourId, juce::Colour(textColour));
        slider.setColour(juce::Slider::textBoxBackgroundColourId, juce::Colour(0x00263238));
        slider.setColour(juce::Slider::textBoxOutlineColourId, juce::Colour(0x008e989b));
        slider.setTextValueSuffix(suffix);
        slider.setLookAndFeel(&skin);
        slider.setValue(value, juce::dontSendNotification);
        slider.setBounds(toRectangle(bounds));
        addAndMakeVisible(slider);
    }

    void addButton(juce::TextButton& button, juce::LookAndFeel& skin, juce::Rectangle<int> bounds,
                   bool enabled)
    {
        button.setLookAndFeel(&skin);
        button.setBounds(bounds);
        button.setEnabled(enabled);
        addAndMakeVisible(button);
    }

    void addLabel(juce::Label& label, const juce::String& text, const panel::Bounds& bounds,
                  juce::Justification justification, float height)
    {
        label.setFont(panelFont.withHeight(height));
        label.setJustificationType(justification);
        label.setColour(juce::Label::textColourId, juce::Colour(0xffb0b0b0));
        label.setText(text, juce::dontSendNotification);
        label.setBounds(toRectangle(bounds));
        addAndMakeVisible(label);
    }

    void addEqualiser()
    {
        const double frequencies[] = {80, 125, 400, 1000, 2500, 6300, 12500, 16000};
        const double gains[] = {2.0, -1.5, 0.0, -3.0, 1.0, 4.5, -0.5, -2.0};
        const double qs[] = {0.7, 2.0, 1.0, 4.0, 0.5, 9.0};
        for (std::size_t band = 0; band < frequencySliders.size(); ++band) {
            addValueKnob(frequencySliders[band], goldSkin, panel::frequencySliders[band], 20, 20000,
                         1, frequencies[band], " Hz", 0xffbeb9af, panel::equaliserValueBoxHeight);
            addValueKnob(gainSliders[band], standardSkin, panel::gainSliders[band], -12, 12, 0.1,
                         gains[band], " dB", 0xffb9b9b9, panel::equaliserValueBoxHeight);
        }
        for (std::size_t band = 0; band < qSliders.size(); ++band)
            addValueKnob(qSliders[band], silverSkin, panel::qSliders[band], 0.1, 20, 0.1, qs[band],
                         {}, 0xffb9b9b9, panel::equaliserValueBoxHeight, panel::qValueBoxWidth);

        addLabel(presetName, "User Preset 2", panel::presetNameLabel, juce::Justification::centred,
                 16.0f);
        presetName.setColour(juce::Label::textColourId, juce::Colour(0xffd8d8d8));
        addButton(load, loadSkin, toRectangle(panel::loadPresetButton), true);
        addButton(save, saveSkin, toRectangle(panel::savePresetButton), true);
        const auto& x =
            userPresets >= 3 ? panel::userPresetButtonXForThree : panel::userPresetButtonXForTwo;
        for (int i = 0; i < 2 * userPresets; ++i) {
            auto& button = userPresetButtons[static_cast<std::size_t>(i)];
            addButton(button, i % 2 == 0 ? static_cast<juce::LookAndFeel&>(getSkin) : putSkin,
                      {x[static_cast<std::size_t>(i)], panel::userPresetButtonY,
                       panel::userPresetButtonWidth, panel::userPresetButtonHeight},
                      i != 5);
        }
        userPresetButtons[1].setState(juce::Button::buttonDown);
    }

    bool expanded;
    int userPresets;
    juce::Font panelFont;
    velk_remote_look_and_feel_input_knob inputSkin;
    velk_remote_look_and_feel_active_preset_knob presetSkin;
    velk_remote_look_and_feel_standard_knob standardSkin, sendSkin, resetSkin;
    velk_remote_look_and_feel_silver_knob silverSkin;
    velk_remote_look_and_feel_gold_knob goldSkin;
    velk_remote_look_and_feel_preset_button loadSkin, saveSkin, getSkin, putSkin;
    velk_remote_look_and_feel_firmware_button firmwareSkin;
    velk_remote_look_and_feel_open_close_button toggleSkin;
    velk_remote_look_and_feel_help_button helpSkin;

    AudioInputSlider input;
    ActivePresetSlider voicing;
    AudioVolumeSlider volume;
    juce::Slider delay;
    juce::TextButton get, send, reset, help, firmware, load, save;
    juce::ToggleButton toggle;
    juce::Label model, status, version, presetName;
    std::array<EQFrequencySlider, panel::bandCount> frequencySliders;
    std::array<AudioVolumeSlider, panel::bandCount> gainSliders;
    std::array<EQQSlider, 6> qSliders;
    std::array<juce::TextButton, 6> userPresetButtons;
};

/** The About box's two buttons in every state, on the About box's grey. */
juce::Image renderAboutButtons()
{
    velk_remote_look_and_feel_standard_button skin;
    skin.sprite = EmbeddedResources::getImage(Image::aboutButton);
    skin.font = juce::Font(EmbeddedResources::createTypeface(EmbeddedResources::FontRole::text));
    juce::Image sheet(juce::Image::ARGB, 4 * 188, 40, true);
    juce::Graphics g(sheet);
    g.fillAll(juce::Colour(0xff343434));
    const juce::Button::ButtonState states[] = {juce::Button::buttonNormal,
                                                juce::Button::buttonOver, juce::Button::buttonDown};
    for (int i = 0; i < 4; ++i) {
        juce::TextButton button(i % 2 == 0 ? "Contact Support" : "User Manual");
        button.setColour(juce::TextButton::textColourOffId, juce::Colour(0xffcdcdcd));
        button.setLookAndFeel(&skin);
        button.setSize(168, 24);
        if (i < 3)
            button.setState(states[i]);
        else
            button.setEnabled(false);
        g.drawImageAt(button.createComponentSnapshot(button.getLocalBounds()), 10 + i * 188, 8);
        button.setLookAndFeel(nullptr);
    }
    return sheet;
}

bool write(const juce::Image& image, const juce::File& file)
{
    file.deleteFile();
    juce::FileOutputStream stream(file);
    return stream.openedOk() && juce::PNGImageFormat().writeImageToStream(image, stream);
}

int run(const juce::File& folder)
{
    if (!folder.createDirectory())
        return 1;
    bool written = true;
    for (const auto& [name, expanded, presets] :
         {std::tuple{"panel_collapsed", false, 3}, std::tuple{"panel_expanded_3", true, 3},
          std::tuple{"panel_expanded_2", true, 2}}) {
        PanelPreview preview(expanded, presets);
        for (const float scale : {1.0f, 2.0f})
            written &= write(
                preview.createComponentSnapshot(preview.getLocalBounds(), true, scale),
                folder.getChildFile(juce::String(name) + (scale > 1.0f ? "@2x.png" : ".png")));
    }
    written &= write(renderAboutButtons(), folder.getChildFile("about_buttons.png"));
    written &=
        write(EmbeddedResources::getImage(Image::aboutLogo), folder.getChildFile("about_logo.png"));
    return written ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: pellaro_preview <output folder>\n";
        return 2;
    }
    const juce::ScopedJuceInitialiser_GUI juce;
    const int result = run(juce::File::getCurrentWorkingDirectory().getChildFile(argv[1]));
    juce::ImageCache::releaseUnusedImages();
    return result;
}
