// The control panel: construction, destruction, layout, painting and window dragging.
#include "MainRemote.h"

#include "AboutBox.h"
#include "AboutWindow.h"
#include "DecimalText.h"
#include "EmbeddedResources.h"
#include "PanelLayout.h"
#include "QuitSignals.h"

namespace {

using artwork::Image;

/** Text-box colours of a slider (ARGB); a highlight of 0 is left unset. */
struct TextBoxColours
{
    juce::uint32 text;
    juce::uint32 highlight;
};

constexpr juce::uint32 textBoxBackground = 0x00263238;
constexpr juce::uint32 textBoxOutline = 0x008e989b;
constexpr TextBoxColours frequencyColours{0xffbeb9af, 0};
constexpr TextBoxColours volumeColours{0xffd8d8d8, 0x00181f22};
constexpr TextBoxColours delayColours{0xffd8d8d8, 0};
constexpr TextBoxColours gainColours{0xffb9b9b9, 0};

juce::Rectangle<int> toRectangle(const panel::Bounds& b)
{
    return {b.x, b.y, b.width, b.height};
}

/** A knob with its value box above it. */
template <typename SliderClass>
std::unique_ptr<SliderClass> makeKnob(MainRemote& panel, double minimum, double maximum,
                                      double step, int boxWidth, int boxHeight,
                                      const TextBoxColours& colours)
{
    auto slider = std::make_unique<SliderClass>("new slider");
    panel.addAndMakeVisible(*slider);
    slider->setRange(minimum, maximum, step);
    slider->setSliderStyle(juce::Slider::Rotary);
    slider->setTextBoxStyle(juce::Slider::TextBoxAbove, false, boxWidth, boxHeight);
    slider->setColour(juce::Slider::textBoxTextColourId, juce::Colour(colours.text));
    slider->setColour(juce::Slider::textBoxBackgroundColourId, juce::Colour(textBoxBackground));
    if (colours.highlight != 0)
        slider->setColour(juce::Slider::textBoxHighlightColourId, juce::Colour(colours.highlight));
    slider->setColour(juce::Slider::textBoxOutlineColourId, juce::Colour(textBoxOutline));
    slider->addListener(&panel);
    return slider;
}

std::unique_ptr<EQFrequencySlider> makeFrequencyKnob(MainRemote& panel)
{
    return makeKnob<EQFrequencySlider>(panel, 20, 20000, 1, panel::valueBoxWidth,
                                       panel::equaliserValueBoxHeight, frequencyColours);
}

std::unique_ptr<EQQSlider> makeQKnob(MainRemote& panel)
{
    return makeKnob<EQQSlider>(panel, 0.1, 20, 0.1, panel::qValueBoxWidth,
                               panel::equaliserValueBoxHeight, gainColours);
}

std::unique_ptr<AudioVolumeSlider> makeGainKnob(MainRemote& panel)
{
    return makeKnob<AudioVolumeSlider>(panel, -12, 12, 0.1, panel::valueBoxWidth,
                                       panel::equaliserValueBoxHeight, gainColours);
}

/** A selector knob without a value box. */
template <typename SliderClass>
std::unique_ptr<SliderClass> makeSelector(MainRemote& panel, double minimum, double maximum)
{
    auto slider = std::make_unique<SliderClass>("new slider");
    panel.addAndMakeVisible(*slider);
    slider->setRange(minimum, maximum, 1);
    slider->setSliderStyle(juce::Slider::Rotary);
    slider->setTextBoxStyle(juce::Slider::NoTextBox, true, 80, 20);
    slider->addListener(&panel);
    return slider;
}

template <typename ButtonClass>
std::unique_ptr<ButtonClass> makeButton(MainRemote& panel, const juce::String& name,
                                        const juce::String& text)
{
    auto button = std::make_unique<ButtonClass>(name);
    panel.addAndMakeVisible(*button);
    if (text.isNotEmpty())
        button->setButtonText(juce::translate(text));
    button->addListener(&panel);
    return button;
}

std::unique_ptr<juce::Label> makeLabel(MainRemote& panel, const juce::String& name,
                                       const juce::String& text, juce::uint32 colour,
                                       juce::Justification justification)
{
    auto label = std::make_unique<juce::Label>(name, juce::translate(text));
    panel.addAndMakeVisible(*label);
    label->setJustificationType(justification);
    label->setEditable(false, false, false);
    label->setColour(juce::Label::textColourId, juce::Colour(colour));
    label->setColour(juce::TextEditor::textColourId, juce::Colour(0xff000000));
    label->setColour(juce::TextEditor::backgroundColourId, juce::Colour(0x00000000));
    return label;
}

} // namespace

MainRemote::MainRemote()
{
    dspControl = memory::make_data_ptr<dsp_control>(static_cast<dsp_control_callback&>(*this));
    displayLossWatch = std::make_unique<DisplayLoss::WatchedLink>(*dspControl);
    setOpaque(true);
    createControls();
    loadArtwork();
    createAboutWindow();
    // It starts collapsed.
    setSize(panel::width, panel::collapsedHeight);
    applySkins();
    setStartState();
    // The first read starts on the first tick, not here: its worker calls this object's
    // callbacks, which a subclass whose constructor has not run yet would not have.
    startTimerHz(60);
}

void MainRemote::startFirstRead()
{
    firstReadStarted = true;
    // A quit signal that came while the panel was made ends the program (no operation holds
    // the speaker, so the quit is accepted) once the message loop takes it: the speaker is not
    // opened for it, and no quit meets a read that holds the speaker.
    if (QuitSignals::hasOneArrived())
        return;
    try {
        dspControl->read_main_settings_from_device();
    } catch (...) {
        endOperation(Operation::readSettings);
        throw;
    }
}

void MainRemote::createControls()
{
    parametric5FrequencySlider = makeFrequencyKnob(*this);
    readSettingsButton = makeButton<juce::TextButton>(*this, "Reset", "Get");
    volumeSlider = makeKnob<AudioVolumeSlider>(*this, -60, 12, 0.1, panel::valueBoxWidth,
                                               panel::levelValueBoxHeight, volumeColours);
    delaySlider = makeKnob<juce::Slider>(*this, 0, 5, 0.1, panel::valueBoxWidth,
                                         panel::levelValueBoxHeight, delayColours);
    lowShelfGainSlider = makeGainKnob(*this);
    lowShelfFrequencySlider = makeFrequencyKnob(*this);
    parametric1FrequencySlider = makeFrequencyKnob(*this);
    parametric1QSlider = makeQKnob(*this);
    highShelfFrequencySlider = makeFrequencyKnob(*this);
    parametric2FrequencySlider = makeFrequencyKnob(*this);
    parametric2QSlider = makeQKnob(*this);
    parametric3FrequencySlider = makeFrequencyKnob(*this);
    parametric3QSlider = makeQKnob(*this);
    parametric4FrequencySlider = makeFrequencyKnob(*this);
    parametric4QSlider = makeQKnob(*this);
    parametric5QSlider = makeQKnob(*this);
    parametric6FrequencySlider = makeFrequencyKnob(*this);
    parametric6QSlider = makeQKnob(*this);
    readUserPreset1Button = makeButton<juce::TextButton>(*this, "Get", "get");
    writeUserPreset1Button = makeButton<juce::TextButton>(*this, "Get", "send");
    readUserPreset2Button = makeButton<juce::TextButton>(*this, "Get", "get");
    writeUserPreset2Button = makeButton<juce::TextButton>(*this, "Get", "send");
    readUserPreset3Button = makeButton<juce::TextButton>(*this, "Get", "get");
    writeUserPreset3Button = makeButton<juce::TextButton>(*this, "Get", "send");
    updateFirmwareButton = makeButton<juce::TextButton>(*this, "new button", "Update Firmware");
    modelLabel = makeLabel(*this, "new label", {}, 0xffb0b0b0, juce::Justification::centredLeft);
    firmwareLabel = makeLabel(*this, "new label", {}, 0xffb0b0b0, juce::Justification::centredLeft);
    inputSlider = makeSelector<AudioInputSlider>(*this, 0, 2);
    statusLabel = makeLabel(*this, "new label", {}, 0xffb0b0b0, juce::Justification::centredRight);
    writeSettingsButton = makeButton<juce::TextButton>(*this, "Reset", "Send");
    resetButton = makeButton<juce::TextButton>(*this, "Reset", {});
    activePresetSlider = makeSelector<ActivePresetSlider>(*this, 1, 5);
    loadPresetButton = makeButton<juce::TextButton>(*this, "Get", "Load");
    savePresetButton = makeButton<juce::TextButton>(*this, "Get", "Save");
    presetNameLabel =
        makeLabel(*this, "presetName", "User Preset", 0xffd8d8d8, juce::Justification::centred);
    highShelfGainSlider = makeGainKnob(*this);
    parametric6GainSlider = makeGainKnob(*this);
    parametric5GainSlider = makeGainKnob(*this);
    parametric4GainSlider = makeGainKnob(*this);
    parametric3GainSlider = makeGainKnob(*this);
    parametric2GainSlider = makeGainKnob(*this);
    parametric1GainSlider = makeGainKnob(*this);
    openCloseButton = makeButton<juce::ToggleButton>(*this, "openclosebutton", "new toggle button");
    helpButton = makeButton<juce::TextButton>(*this, "helpButton", "Help!");

    for (auto* slider :
         {volumeSlider.get(), lowShelfGainSlider.get(), highShelfGainSlider.get(),
          parametric1GainSlider.get(), parametric2GainSlider.get(), parametric3GainSlider.get(),
          parametric4GainSlider.get(), parametric5GainSlider.get(), parametric6GainSlider.get()})
        slider->setTextValueSuffix(" dB");
    delaySlider->setTextValueSuffix(" ms");
    // The stock reading of a typed delay, but a box left without a well-formed number keeps the
    // delay instead of reading 0 ms or a guess. juce::Slider hands the text over without its
    // suffix when the suffix ends it.
    delaySlider->valueFromTextFunction = [slider = delaySlider.get()](const juce::String& text) {
        if (!DecimalText::namesValue(text, {slider->getTextValueSuffix()}))
            return slider->getValue();
        auto number = text;
        while (number.startsWithChar('+'))
            number = number.substring(1).trimStart();
        return number.initialSectionContainingOnly("0123456789.,-").getDoubleValue();
    };
    for (const auto& band : equaliserKnobs())
        band.frequency->setTextValueSuffix(" Hz");
    inputSlider->setTextBoxIsEditable(false);
    activePresetSlider->setTextBoxIsEditable(false);
}

void MainRemote::loadArtwork()
{
    backgroundExpandedImage = EmbeddedResources::getImage(Image::backgroundExpanded);
    backgroundCollapsedImage = EmbeddedResources::getImage(Image::backgroundCollapsed);
    userPresetStrip3Image = EmbeddedResources::getImage(Image::userPresets3);
    userPresetStrip2Image = EmbeddedResources::getImage(Image::userPresets2);
}

void MainRemote::createAboutWindow()
{
    aboutWindow = std::make_unique<AboutWindow>(juce::String(), juce::Colour(0xffd3d3d3),
                                                juce::DocumentWindow::closeButton);
    aboutWindow->setContentOwned(new AboutBox(), true);
    aboutWindow->centreWithSize(aboutWindow->getWidth(), aboutWindow->getHeight());
    aboutWindow->setUsingNativeTitleBar(true);
    aboutWindow->setVisible(false);
}

void MainRemote::applySkins()
{
    panelFont = juce::Font(EmbeddedResources::createTypeface(EmbeddedResources::FontRole::panel));
    panelFont.setHeight(21.0f);
    panelFont.setExtraKerningFactor(0.05f);

    presetNameLabel->setFont(panelFont.withHeight(16.0f));
    for (auto* label : {modelLabel.get(), firmwareLabel.get(), statusLabel.get()})
        label->setFont(panelFont.withHeight(14.0f));
    // "Firmware: 1.0.10" is 85 pixels wide with the panel font's letter spacing, and the label
    // 80: without the spacing and with 1-pixel insets it fits whole instead of being squeezed.
    firmwareLabel->setFont(panelFont.withHeight(14.0f).withExtraKerningFactor(0.0f));
    firmwareLabel->setBorderSize({1, 1, 1, 1});

    inputKnobLookAndFeel.filmStrip = EmbeddedResources::getImage(Image::knobInput);
    inputSlider->setLookAndFeel(&inputKnobLookAndFeel);
    activePresetKnobLookAndFeel.filmStrip = EmbeddedResources::getImage(Image::knobActivePreset);
    activePresetSlider->setLookAndFeel(&activePresetKnobLookAndFeel);
    standardKnobLookAndFeel.filmStrip = EmbeddedResources::getImage(Image::knobStandardStrip);
    standardKnobLookAndFeel.buttonSprite = EmbeddedResources::getImage(Image::buttonGetSettings);
    silverKnobLookAndFeel.filmStrip = EmbeddedResources::getImage(Image::knobSilverStrip);
    goldKnobLookAndFeel.filmStrip = EmbeddedResources::getImage(Image::knobGoldStrip);
    goldKnobLookAndFeel.font = panelFont;
    silverKnobLookAndFeel.font = panelFont;
    standardKnobLookAndFeel.font = panelFont;
    for (auto* slider : std::initializer_list<juce::Slider*>{
             volumeSlider.get(), delaySlider.get(), lowShelfGainSlider.get(),
             highShelfGainSlider.get(), parametric1GainSlider.get(), parametric2GainSlider.get(),
             parametric3GainSlider.get(), parametric4GainSlider.get(), parametric5GainSlider.get(),
             parametric6GainSlider.get()})
        slider->setLookAndFeel(&standardKnobLookAndFeel);
    readSettingsButton->setLookAndFeel(&standardKnobLookAndFeel);
    for (auto* slider :
         {parametric1QSlider.get(), parametric2QSlider.get(), parametric3QSlider.get(),
          parametric4QSlider.get(), parametric5QSlider.get(), parametric6QSlider.get()})
        slider->setLookAndFeel(&silverKnobLookAndFeel);
    for (const auto& band : equaliserKnobs())
        band.frequency->setLookAndFeel(&goldKnobLookAndFeel);

    sendButtonLookAndFeel.buttonSprite = EmbeddedResources::getImage(Image::buttonSendSettings);
    writeSettingsButton->setLookAndFeel(&sendButtonLookAndFeel);
    resetButtonLookAndFeel.buttonSprite = EmbeddedResources::getImage(Image::buttonReset);
    resetButton->setLookAndFeel(&resetButtonLookAndFeel);
    loadButtonLookAndFeel.sprite = EmbeddedResources::getImage(Image::buttonLoad);
    loadPresetButton->setLookAndFeel(&loadButtonLookAndFeel);
    saveButtonLookAndFeel.sprite = EmbeddedResources::getImage(Image::buttonSave);
    savePresetButton->setLookAndFeel(&saveButtonLookAndFeel);
    userPresetGetLookAndFeel.sprite = EmbeddedResources::getImage(Image::buttonUserPresetGet);
    for (auto* button :
         {readUserPreset1Button.get(), readUserPreset2Button.get(), readUserPreset3Button.get()})
        button->setLookAndFeel(&userPresetGetLookAndFeel);
    userPresetSendLookAndFeel.sprite = EmbeddedResources::getImage(Image::buttonUserPresetSend);
    for (auto* button :
         {writeUserPreset1Button.get(), writeUserPreset2Button.get(), writeUserPreset3Button.get()})
        button->setLookAndFeel(&userPresetSendLookAndFeel);
    firmwareButtonLookAndFeel.sprite = EmbeddedResources::getImage(Image::buttonFirmware);
    updateFirmwareButton->setLookAndFeel(&firmwareButtonLookAndFeel);
    openCloseButtonLookAndFeel.sprite = EmbeddedResources::getImage(Image::buttonOpenClose);
    openCloseButton->setLookAndFeel(&openCloseButtonLookAndFeel);
    helpButtonLookAndFeel.buttonSprite = EmbeddedResources::getImage(Image::buttonHelp);
    helpButton->setLookAndFeel(&helpButtonLookAndFeel);
}

void MainRemote::setStartState()
{
    inputSlider->setValue(1, juce::sendNotificationAsync);
    const std::array<juce::Component*, 6> userPresetButtons{
        readUserPreset1Button.get(),  writeUserPreset1Button.get(), readUserPreset2Button.get(),
        writeUserPreset2Button.get(), readUserPreset3Button.get(),  writeUserPreset3Button.get()};
    for (auto* button : {updateFirmwareButton.get(), writeSettingsButton.get(), resetButton.get()})
        button->setEnabled(false);
    for (auto* button : userPresetButtons) {
        button->setEnabled(false);
        button->setVisible(false);
    }
    loadPresetButton->setVisible(false);
    savePresetButton->setVisible(false);
    presetNameLabel->setVisible(false);

    for (auto* label : {modelLabel.get(), firmwareLabel.get(), statusLabel.get()})
        label->setText({}, juce::dontSendNotification);
}

MainRemote::~MainRemote()
{
    stopTimer();
    // Controls go first, in the order they were made, while their skins still exist.
    parametric5FrequencySlider.reset();
    readSettingsButton.reset();
    volumeSlider.reset();
    delaySlider.reset();
    lowShelfGainSlider.reset();
    lowShelfFrequencySlider.reset();
    parametric1FrequencySlider.reset();
    parametric1QSlider.reset();
    highShelfFrequencySlider.reset();
    parametric2FrequencySlider.reset();
    parametric2QSlider.reset();
    parametric3FrequencySlider.reset();
    parametric3QSlider.reset();
    parametric4FrequencySlider.reset();
    parametric4QSlider.reset();
    parametric5QSlider.reset();
    parametric6FrequencySlider.reset();
    parametric6QSlider.reset();
    readUserPreset1Button.reset();
    writeUserPreset1Button.reset();
    readUserPreset2Button.reset();
    writeUserPreset2Button.reset();
    readUserPreset3Button.reset();
    writeUserPreset3Button.reset();
    updateFirmwareButton.reset();
    modelLabel.reset();
    firmwareLabel.reset();
    inputSlider.reset();
    statusLabel.reset();
    writeSettingsButton.reset();
    resetButton.reset();
    activePresetSlider.reset();
    loadPresetButton.reset();
    savePresetButton.reset();
    presetNameLabel.reset();
    highShelfGainSlider.reset();
    parametric6GainSlider.reset();
    parametric5GainSlider.reset();
    parametric4GainSlider.reset();
    parametric3GainSlider.reset();
    parametric2GainSlider.reset();
    parametric1GainSlider.reset();
    openCloseButton.reset();
    helpButton.reset();
    aboutWindow.reset();
    // Unwatched before it goes: its destruction below waits for the workers itself, and makes
    // no call to the X server that could meet a lost display meanwhile.
    displayLossWatch.reset();
    // Waits for every speaker operation still running. Their callbacks write the flags and the
    // status text, which must therefore outlive this wait: they are destroyed after the body.
    dspControl.release();
}

// -- Window dragging ----------------------------------------------------------------------------

void MainRemote::mouseDown(const juce::MouseEvent& event)
{
    if (event.y < 40) {
        dragger.startDraggingComponent(getTopLevelComponent(), event);
        dragging = true;
    }
}

void MainRemote::mouseDrag(const juce::MouseEvent& event)
{
    if (dragging)
        dragger.dragComponent(getTopLevelComponent(), event, nullptr);
}

void MainRemote::mouseUp(const juce::MouseEvent&)
{
    dragging = false;
}

// -- Layout and painting ------------------------------------------------------------------------

void MainRemote::paint(juce::Graphics& g)
{
    g.setColour(juce::Colours::black);
    if (expanded) {
        g.drawImage(backgroundExpandedImage, 0, 0, panel::width, panel::expandedHeight, 0, 0,
                    backgroundExpandedImage.getWidth(), backgroundExpandedImage.getHeight());
        const auto count = userPresetCount.load();
        const auto& strip = count == 3 ? userPresetStrip3Image : userPresetStrip2Image;
        const auto& at = count == 3 ? panel::userPresetStrip3 : panel::userPresetStrip2;
        if (count == 2 || count == 3)
            g.drawImage(strip, at.x, at.y, at.width, at.height, 0, 0, strip.getWidth(),
                        strip.getHeight());
    } else {
        // Source rows 0 to 605 only: the image's last row is never drawn.
        g.drawImage(backgroundCollapsedImage, 0, 0, panel::width, panel::collapsedHeight, 0, 0,
                    backgroundCollapsedImage.getWidth(), 606);
    }
}

void MainRemote::resized()
{
    parametric5FrequencySlider->setBounds(toRectangle(panel::frequencySliders[5]));
    readSettingsButton->setBounds(toRectangle(panel::readSettingsButton));
    volumeSlider->setBounds(toRectangle(panel::volumeSlider));
    delaySlider->setBounds(toRectangle(panel::delaySlider));
    lowShelfGainSlider->setBounds(toRectangle(panel::gainSliders[0]));
    lowShelfFrequencySlider->setBounds(toRectangle(panel::frequencySliders[0]));
    parametric1FrequencySlider->setBounds(toRectangle(panel::frequencySliders[1]));
    parametric1QSlider->setBounds(toRectangle(panel::qSliders[0]));
    highShelfFrequencySlider->setBounds(toRectangle(panel::frequencySliders[7]));
    parametric2FrequencySlider->setBounds(toRectangle(panel::frequencySliders[2]));
    parametric2QSlider->setBounds(toRectangle(panel::qSliders[1]));
    parametric3FrequencySlider->setBounds(toRectangle(panel::frequencySliders[3]));
    parametric3QSlider->setBounds(toRectangle(panel::qSliders[2]));
    parametric4FrequencySlider->setBounds(toRectangle(panel::frequencySliders[4]));
    parametric4QSlider->setBounds(toRectangle(panel::qSliders[3]));
    parametric5QSlider->setBounds(toRectangle(panel::qSliders[4]));
    parametric6FrequencySlider->setBounds(toRectangle(panel::frequencySliders[6]));
    parametric6QSlider->setBounds(toRectangle(panel::qSliders[5]));
    placeUserPresetButtons();
    updateFirmwareButton->setBounds(toRectangle(panel::updateFirmwareButton.at(expanded)));
    modelLabel->setBounds(toRectangle(panel::modelLabel.at(expanded)));
    firmwareLabel->setBounds(toRectangle(panel::firmwareLabel.at(expanded)));
    inputSlider->setBounds(toRectangle(panel::inputSlider));
    statusLabel->setBounds(toRectangle(panel::statusLabel.at(expanded)));
    writeSettingsButton->setBounds(toRectangle(panel::writeSettingsButton));
    resetButton->setBounds(toRectangle(panel::resetButton));
    activePresetSlider->setBounds(toRectangle(panel::activePresetSlider));
    loadPresetButton->setBounds(toRectangle(panel::loadPresetButton));
    savePresetButton->setBounds(toRectangle(panel::savePresetButton));
    presetNameLabel->setBounds(toRectangle(panel::presetNameLabel));
    highShelfGainSlider->setBounds(toRectangle(panel::gainSliders[7]));
    parametric6GainSlider->setBounds(toRectangle(panel::gainSliders[6]));
    parametric5GainSlider->setBounds(toRectangle(panel::gainSliders[5]));
    parametric4GainSlider->setBounds(toRectangle(panel::gainSliders[4]));
    parametric3GainSlider->setBounds(toRectangle(panel::gainSliders[3]));
    parametric2GainSlider->setBounds(toRectangle(panel::gainSliders[2]));
    parametric1GainSlider->setBounds(toRectangle(panel::gainSliders[1]));
    openCloseButton->setBounds(toRectangle(panel::openCloseButton.at(expanded)));
    helpButton->setBounds(toRectangle(panel::helpButton));
}

void MainRemote::placeUserPresetButtons()
{
    const auto& x = userPresetCount.load() >= 3 ? panel::userPresetButtonXForThree
                                                : panel::userPresetButtonXForTwo;
    const std::array<juce::Component*, 6> buttons{
        readUserPreset1Button.get(),  writeUserPreset1Button.get(), readUserPreset2Button.get(),
        writeUserPreset2Button.get(), readUserPreset3Button.get(),  writeUserPreset3Button.get()};
    for (std::size_t i = 0; i < buttons.size(); ++i)
        buttons[i]->setBounds(x[i], panel::userPresetButtonY, panel::userPresetButtonWidth,
                              panel::userPresetButtonHeight);
}
