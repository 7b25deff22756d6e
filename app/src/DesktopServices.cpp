// The native desktop services and the one installed object.
#include "DesktopServices.h"

#include <quarro/desktop/default_application.h>

namespace {

class NativeDesktopServices : public DesktopServices
{
public:
    void showMessage(const juce::String& title, const juce::String& text,
                     juce::Component* associatedComponent) override
    {
        juce::NativeMessageBox::showMessageBox(juce::MessageBoxIconType::InfoIcon, title, text,
                                               associatedComponent);
    }

    bool askYesNo(const juce::String& title, const juce::String& text,
                  juce::Component* associatedComponent) override
    {
        return juce::NativeMessageBox::showYesNoBox(juce::MessageBoxIconType::QuestionIcon, title,
                                                    text, associatedComponent, nullptr) == 1;
    }

    void openInBrowser(const juce::URL& page) override { page.launchInDefaultBrowser(); }

    void openWithDefaultApplication(const files::filepath& file) override
    {
        quarro::open_with_default_application(file);
    }
};

std::unique_ptr<DesktopServices>& installed()
{
    static std::unique_ptr<DesktopServices> services = std::make_unique<NativeDesktopServices>();
    return services;
}

} // namespace

DesktopServices& DesktopServices::get()
{
    return *installed();
}

std::unique_ptr<DesktopServices> DesktopServices::install(std::unique_ptr<DesktopServices> services)
{
    if (services == nullptr)
        services = std::make_unique<NativeDesktopServices>();
    std::swap(services, installed());
    return services;
}
