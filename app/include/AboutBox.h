// The content of the About window: product name, version, copyright line and logo on dark grey,
// with buttons for the support page and the user manual.
#pragma once

#include "velk_remote_look_and_feel_standard_button.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

/** 700 x 300, its children at fixed places whatever its size. Pressing anywhere but on a button
    drags the window that holds it; closing hides that window. Links go through
    DesktopServices. Message thread. */
class AboutBox : public juce::Component, public juce::Button::Listener
{
public:
    /** The support page and the online manual, on the maker's web host. */
    static constexpr const char* supportPage = "https://www.velk-audio.example/en/support/#form";
    static constexpr const char* manualPage =
        "https://www.velk-audio.example/en/orvik-user-manuals";
    /** Where the manual would be, under the application's resources folder. */
    static constexpr const char* documentationFolder = "documentation";
    static constexpr const char* manualFileName = "VELK AUDIO Pellaro Manual.pdf";

    AboutBox();
    ~AboutBox() override;

    void mouseDown(const juce::MouseEvent& event) override;
    void mouseDrag(const juce::MouseEvent& event) override;
    void mouseUp(const juce::MouseEvent& event) override;
    /** Hides the window instead of closing it. */
    void userTriedToCloseWindow() override;
    void paint(juce::Graphics& g) override;
    void resized() override;

    /** "Contact Support" opens the support page; "User Manual" opens the manual in the
        resources folder's "documentation" folder when it is there, else the online manual. */
    void buttonClicked(juce::Button* button) override;

private:
    juce::ComponentDragger dragger;
    bool dragging = false;
    juce::Font titleFont;
    juce::Font textFont;
    velk_remote_look_and_feel_standard_button buttonLookAndFeel;
    std::unique_ptr<juce::Label> versionLabel;
    std::unique_ptr<juce::Label> copyrightLabel;
    std::unique_ptr<juce::TextButton> contactSupport;
    std::unique_ptr<juce::TextButton> manualButton;
    std::unique_ptr<juce::Label> titleLabel;
    juce::Image logoImage;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(AboutBox)
};
