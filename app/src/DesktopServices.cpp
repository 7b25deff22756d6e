// The native desktop services and the one installed object.
#include "DesktopServices.h"

#include <quarro/desktop/default_application.h>

namespace {

class NativeDesktopServices : public DesktopServices
{
public:
    void showMessage(const juce::String& title, const juce::String& text,
                     juce::Component* associatedComponent, std::function<void()> closed) override
    {
        juce::NativeMessageBox::showMessageBoxAsync(
            juce::MessageBoxIconType::InfoIcon, title, text, associatedComponent,
            closed ? juce::ModalCallbackFunction::create(
                         [closed = std::move(closed)](int) { closed(); })
                   : nullptr);
    }

    void askYesNo(const juce::String& title, const juce::String& text,
                  juce::Component* associatedComponent, std::function<void(bool)> answered) override
    {
        // With a callback the box is asynchronous: "Yes" answers 1, "No" 0.
        juce::NativeMessageBox::showYesNoBox(
            juce::MessageBoxIconType::QuestionIcon, title, text, associatedComponent,
            juce::ModalCallbackFunction::create([answered = std::move(answered)](int result) {
                if (answered)
                    answered(result == 1);
            }));
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
