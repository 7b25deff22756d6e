// The About box: its children, its painting, its links and dragging the window by it.
#include "AboutBox.h"

#include "DesktopServices.h"
#include "EmbeddedResources.h"

#include <quarro/desktop/known_folders.h>
#include <quarro/err/exception.h>
#include <quarro/files/folder_operations.h>

namespace {

using EmbeddedResources::FontRole;

const juce::Colour textColour{0xffcdcdcd};

juce::Font fontOf(FontRole role)
{
    return juce::Font(EmbeddedResources::createTypeface(role));
}

std::unique_ptr<juce::Label> makeLabel(juce::Component& parent, const juce::String& text)
{
    auto label = std::make_unique<juce::Label>("new label", text);
    label->setJustificationType(juce::Justification::centredLeft);
    label->setEditable(false, false, false);
    label->setColour(juce::Label::textColourId, textColour);
    label->setColour(juce::TextEditor::textColourId, juce::Colours::black);
    label->setColour(juce::TextEditor::backgroundColourId, juce::Colour(0x00000000));
    parent.addAndMakeVisible(*label);
    return label;
}

std::unique_ptr<juce::TextButton> makeButton(AboutBox& parent, const juce::String& name,
                                             const juce::String& text)
{
    auto button = std::make_unique<juce::TextButton>(name);
    button->setButtonText(text);
    button->setColour(juce::TextButton::textColourOffId, textColour);
    button->addListener(&parent);
    parent.addAndMakeVisible(*button);
    return button;
}

void openWebPage(const char* address)
{
    const juce::URL page(address);
    if (!page.isEmpty())
        DesktopServices::get().openInBrowser(page);
}

} // namespace

AboutBox::AboutBox()
{
    titleLabel = makeLabel(*this, TRANS("VELK AUDIO Orvik Pellaro") + "\n");
    versionLabel = makeLabel(*this, TRANS("Version 1.0.2"));
    copyrightLabel = makeLabel(
        *this, TRANS(juce::CharPointer_UTF8("\xc2\xa9 Velk Audio. All rights reserved.")));
    contactSupport = makeButton(*this, "contactSupport", TRANS("Contact Support"));
    manualButton = makeButton(*this, "manualButton", TRANS("User Manual"));
    logoImage = EmbeddedResources::getImage(artwork::Image::aboutLogo);
    setSize(700, 300);

    titleFont = fontOf(FontRole::panel);
    titleFont.setHeight(21.0f);
    titleFont.setExtraKerningFactor(0.05f);
    textFont = fontOf(FontRole::text);
    versionLabel->setFont(textFont.withHeight(14.0f));
    copyrightLabel->setFont(textFont.withHeight(14.0f));
    titleLabel->setFont(titleFont.withHeight(37.9f));

    buttonLookAndFeel.sprite = EmbeddedResources::getImage(artwork::Image::aboutButton);
    buttonLookAndFeel.font = textFont;
    for (auto* label : {versionLabel.get(), copyrightLabel.get(), titleLabel.get()})
        label->setInterceptsMouseClicks(false, false);
    contactSupport->setLookAndFeel(&buttonLookAndFeel);
    manualButton->setLookAndFeel(&buttonLookAndFeel);
}

AboutBox::~AboutBox()
{
    // The buttons must not outlive the skin they are drawn with.
    versionLabel.reset();
    copyrightLabel.reset();
    contactSupport.reset();
    manualButton.reset();
    titleLabel.reset();
}

void AboutBox::mouseDown(const juce::MouseEvent& event)
{
    auto* window = getTopLevelComponent();
    if (window->getComponentAt(event.getEventRelativeTo(window).getPosition()) == this) {
        dragger.startDraggingComponent(window, event);
        dragging = true;
        return;
    }
    juce::Component::mouseDown(event);
}

void AboutBox::mouseDrag(const juce::MouseEvent& event)
{
    if (dragging)
        dragger.dragComponent(getTopLevelComponent(), event, nullptr);
    else
        juce::Component::mouseDrag(event);
}

void AboutBox::mouseUp(const juce::MouseEvent& event)
{
    dragging = false;
    juce::Component::mouseUp(event);
}

void AboutBox::userTriedToCloseWindow()
{
    getTopLevelComponent()->setVisible(false);
}

void AboutBox::paint(juce::Graphics& g)
{
    g.fillAll(juce::Colour(0xff343434));
    g.setColour(juce::Colours::black);
    g.drawImage(logoImage, 20, 20, 200, 200, 0, 0, logoImage.getWidth(), logoImage.getHeight());
}

void AboutBox::resized()
{
    titleLabel->setBounds(232, 36, 384, 40);
    versionLabel->setBounds(232, 76, 376, 24);
    copyrightLabel->setBounds(232, 140, 376, 24);
    contactSupport->setBounds(232, 172, 168, 24);
    manualButton->setBounds(440, 172, 168, 24);
}

void AboutBox::buttonClicked(juce::Button* button)
{
    if (button == contactSupport.get()) {
        openWebPage(supportPage);
    } else if (button == manualButton.get()) {
        try {
            const auto resources = files::get_resources_path();
            if (resources.exists() && files::folder_exists(resources, documentationFolder)) {
                const files::filepath documentation(resources, documentationFolder);
                if (files::file_exists(documentation, manualFileName)) {
                    DesktopServices::get().openWithDefaultApplication(
                        files::filepath(documentation, manualFileName));
                    return;
                }
            }
        } catch (const err::exception&) {
            // The manual went away while we looked: the online manual will do.
        }
        openWebPage(manualPage);
    }
}
