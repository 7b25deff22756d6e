// The application object and its main window.
#include "VelkRemoteApplication.h"

#include "DesktopServices.h"
#include "DisplayLoss.h"
#include "FixedWindowSize.h"
#include "JuceDialogHooks.h"
#include "QuitSignals.h"

#include <quarro/err/exception.h>
#include <quarro/log/logbook.h>

#include <exception>

// -- MainWindow ---------------------------------------------------------------------------------

// The native window is made only once the window is complete: JUCE maps a window that is on
// the desktop when its title bar changes, and an empty one would flash before the panel.
VelkRemoteApplication::MainWindow::MainWindow(const juce::String& name)
    : juce::DocumentWindow(name, juce::Colours::lightgrey,
                           juce::DocumentWindow::minimiseButton | juce::DocumentWindow::closeButton,
                           false)
{
    setUsingNativeTitleBar(true);
    setDraggable(true);
    setContentOwned(new MainRemote(), true);
    centreWithSize(getWidth(), getHeight());
    addToDesktop();
    // Without a resizable border the size is the panel's, and no window manager may change it.
    fixedSize = std::make_unique<FixedWindowSize>(*this);
    setVisible(true);
}

VelkRemoteApplication::MainWindow::~MainWindow() = default;

void VelkRemoteApplication::MainWindow::mouseDown(const juce::MouseEvent& event)
{
    if (event.y < 40)
        dragger.startDraggingComponent(this, event);
    else
        juce::ResizableWindow::mouseDown(event);
}

void VelkRemoteApplication::MainWindow::mouseDrag(const juce::MouseEvent& event)
{
    if (event.y < 40)
        dragger.dragComponent(this, event, nullptr);
    else
        juce::ResizableWindow::mouseDrag(event);
}

juce::BorderSize<int> VelkRemoteApplication::MainWindow::getBorderThickness()
{
    return {};
}

void VelkRemoteApplication::MainWindow::closeButtonPressed()
{
    if (auto* application = juce::JUCEApplication::getInstance())
        application->systemRequestedQuit();
}

MainRemote* VelkRemoteApplication::MainWindow::getPanel() const
{
    return dynamic_cast<MainRemote*>(getContentComponent());
}

// -- VelkRemoteApplication ----------------------------------------------------------------------

VelkRemoteApplication::VelkRemoteApplication() = default;

VelkRemoteApplication::~VelkRemoteApplication() = default;

const juce::String VelkRemoteApplication::getApplicationName()
{
    return "Velk Audio Pellaro";
}

const juce::String VelkRemoteApplication::getApplicationVersion()
{
    return "1.0.2";
}

bool VelkRemoteApplication::moreThanOneInstanceAllowed()
{
    return true;
}

void VelkRemoteApplication::initialise(const juce::String&)
{
    // First: a display lost from now on lets the speaker go whole before the program ends.
    DisplayLoss::watch();
    // Before the panel talks to the speaker: a signal from then on is a quit request, and one
    // that came earlier (held since the program's start) is taken now.
    quitSignals = std::make_unique<QuitSignals>([this] { systemRequestedQuit(); });
    if (quitSignals->takePendingRequest()) {
        // Asked to quit while starting: nothing has reached the speaker, no window is needed.
        acceptQuit();
        return;
    }
    quarro::set_dialog_hooks(std::make_shared<JuceDialogHooks>());
    mainWindow = std::make_unique<MainWindow>(getApplicationName());
}

void VelkRemoteApplication::shutdown()
{
    // Whatever ended the message loop, the program ends now; the panel's workers, the log and
    // the resume files are still to be finished.
    QuitSignals::ignoreUntilExit();
    quitSignals.reset();
    // Emptied before the window goes, so that nothing reaches a half-destroyed window.
    std::unique_ptr<MainWindow> window = std::move(mainWindow);
    window.reset();
    // Alerts that workers raise from now on go to the console.
    quarro::set_dialog_hooks(nullptr);
}

void VelkRemoteApplication::anotherInstanceStarted(const juce::String&) {}

void VelkRemoteApplication::systemRequestedQuit()
{
    if (quitAccepted)
        return;
    bool accepted = false;
    try {
        accepted =
            mayQuit(mainWindow != nullptr ? mainWindow->getPanel() : nullptr, mainWindow.get());
    } catch (const err::exception& failure) {
        // Refused, as the speaker is held; an exception let out here would end the program.
        logUnshownRefusal(failure.what());
    } catch (const std::exception& failure) {
        logUnshownRefusal(failure.what());
    } catch (...) {
        logUnshownRefusal("unknown error");
    }
    if (accepted)
        acceptQuit();
}

void VelkRemoteApplication::acceptQuit()
{
    quitAccepted = true;
    QuitSignals::ignoreUntilExit();
    quit();
}

void VelkRemoteApplication::logUnshownRefusal(const std::string& why) noexcept
{
    try {
        quarro::logbook::instance().message(
            "The quit was refused while the speaker is held, but its box could not be shown: " +
                why,
            quarro::log_level::error, quarro::logbook::file_and_console);
    } catch (...) {
    }
}

bool VelkRemoteApplication::mayQuit(MainRemote* panel, juce::Component* window)
{
    if (panel == nullptr || panel->prepareToQuit())
        return true;
    // Quits asked again while the box shows add no boxes over it.
    if (!panel->claimQuitRefusal())
        return false;
    const char* title =
        panel->isFirmwareUpdateInProgress() ? firmwareUpdateTitle : communicationTitle;
    try {
        DesktopServices::get().showMessage(
            title, refusalText, window,
            [safePanel = juce::Component::SafePointer<MainRemote>(panel)] {
                if (safePanel != nullptr)
                    safePanel->quitRefusalClosed();
            });
    } catch (...) {
        panel->quitRefusalClosed();
        throw;
    }
    return false;
}
