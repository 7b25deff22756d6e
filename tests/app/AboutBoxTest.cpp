// The About box: its children with their texts and places, and where its two buttons
// lead: the support page, and the manual in the resources folder or else online.
#include "AboutBox.h"

#include "support/RecordingDesktopServices.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

juce::Component& child(AboutBox& box, const juce::String& name, int index)
{
    auto* found = index >= 0 ? box.getChildComponent(index) : nullptr;
    if (found == nullptr || (name.isNotEmpty() && found->getName() != name))
        throw std::runtime_error("no child " + name.toStdString());
    return *found;
}

TEST(AboutBox, HoldsTitleVersionCopyrightAndTwoButtons)
{
    AboutBox box;
    EXPECT_EQ(box.getBounds(), juce::Rectangle<int>(0, 0, 700, 300));
    ASSERT_EQ(box.getNumChildComponents(), 5);

    const std::pair<const char*, juce::Rectangle<int>> labels[] = {
        {"VELK AUDIO Orvik Pellaro\n", {232, 36, 384, 40}},
        {"Version 1.0.2", {232, 76, 376, 24}},
        {"\xc2\xa9 Velk Audio. All rights reserved.", {232, 140, 376, 24}},
    };
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(labels[i].first);
        auto& label = dynamic_cast<juce::Label&>(child(box, "new label", i));
        EXPECT_EQ(label.getText(), juce::String::fromUTF8(labels[i].first));
        EXPECT_EQ(label.getBounds(), labels[i].second);
    }

    auto& support = dynamic_cast<juce::TextButton&>(child(box, "contactSupport", 3));
    auto& manual = dynamic_cast<juce::TextButton&>(child(box, "manualButton", 4));
    EXPECT_EQ(support.getButtonText(), "Contact Support");
    EXPECT_EQ(manual.getButtonText(), "User Manual");
    EXPECT_EQ(support.getBounds(), juce::Rectangle<int>(232, 172, 168, 24));
    EXPECT_EQ(manual.getBounds(), juce::Rectangle<int>(440, 172, 168, 24));
}

TEST(AboutBox, ButtonsOpenSupportPageAndManual)
{
    ScopedRecordingDesktop desktop;
    AboutBox box;
    auto& support = child(box, "contactSupport", 3);
    auto& manual = child(box, "manualButton", 4);

    // The test program's folder has no resources folder beside it: the online manual.
    const auto resources = juce::File::getSpecialLocation(juce::File::currentExecutableFile)
                               .getSiblingFile("resources");
    ASSERT_FALSE(resources.exists());
    box.buttonClicked(dynamic_cast<juce::Button*>(&support));
    box.buttonClicked(dynamic_cast<juce::Button*>(&manual));

    // With the manual in the resources' "documentation" folder, the file opens.
    const auto documentation = resources.getChildFile("documentation");
    ASSERT_TRUE(documentation.createDirectory());
    const auto pdf = documentation.getChildFile("VELK AUDIO Pellaro Manual.pdf");
    ASSERT_TRUE(pdf.replaceWithText("%PDF-1.4\n"));
    box.buttonClicked(dynamic_cast<juce::Button*>(&manual));
    resources.deleteRecursively();

    const std::vector<std::string> expected{
        "browser https://www.velk-audio.example/en/support/#form",
        "browser https://www.velk-audio.example/en/orvik-user-manuals",
        "file " + pdf.getFullPathName().toStdString()};
    EXPECT_EQ(desktop->opened, expected);
}

} // namespace
