// The application: its one main window holding the control panel, and the refusal to quit
// while the panel holds the speaker.
#pragma once

#include "MainRemote.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>
#include <string>

class FixedWindowSize;
class QuitSignals;

/** The JUCE application object. Message thread. */
class VelkRemoteApplication : public juce::JUCEApplication
{
public:
    /** The title of the refusal while a firmware update runs, and while another speaker
        operation runs. */
    static constexpr const char* firmwareUpdateTitle = "Firmware update in progress";
    static constexpr const char* communicationTitle = "DSP communication in progress";
    static constexpr const char* refusalText =
        "Do not disconnect the speaker from your computer, power down the speaker, or quit this "
        "application.  Doing so during DSP communication will corrupt the files in your speaker!";

    /** The main window: the panel as its content, native title bar with minimise and close,
        no border, dragged by its top 40 pixels; closing it asks the application to quit. */
    class MainWindow : public juce::DocumentWindow
    {
    public:
        explicit MainWindow(const juce::String& name);
        ~MainWindow() override;

        void mouseDown(const juce::MouseEvent& event) override;
        void mouseDrag(const juce::MouseEvent& event) override;
        juce::BorderSize<int> getBorderThickness() override;
        void closeButtonPressed() override;

        /** The panel, or nullptr while the window has none. */
        MainRemote* getPanel() const;

    private:
        juce::ComponentDragger dragger;
        std::unique_ptr<FixedWindowSize> fixedSize;

        JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(MainWindow)
    };

    VelkRemoteApplication();
    ~VelkRemoteApplication() override;

    const juce::String getApplicationName() override;
    const juce::String getApplicationVersion() override;
    bool moreThanOneInstanceAllowed() override;
    /** Lets a lost display end the program only once the speaker is let go (DisplayLoss),
        routes the quit signals (QuitSignals) to systemRequestedQuit, those held since main
        began too: one that came by then quits before any window is made. Then shows the
        foundation library's alerts and file panels with JUCE and opens the main window. */
    void initialise(const juce::String& commandLine) override;
    /** Deletes the main window, and with it the panel (waiting for running speaker tasks);
        quit signals do nothing from here on. */
    void shutdown() override;
    void anotherInstanceStarted(const juce::String& commandLine) override;
    /** Quits unless the panel holds the speaker; then explains why not and stays (a box that
        cannot be shown is logged). Once a quit has been accepted, every later request is
        ignored until the process has ended. */
    void systemRequestedQuit() override;

    /** Whether a quit request may end the program now. False while an operation of the panel
        holds the speaker, after showing the refusal (through DesktopServices, associated with
        `window`) unless the refusal is showing already; true when none does, also when one
        only waits for another program's hold on the speaker or a firmware update only
        downloads (that is given up), and when there is no panel (before the window exists or
        after it is gone). A box that cannot be shown throws on what DesktopServices threw; the
        next refusal shows its box then. */
    static bool mayQuit(MainRemote* panel, juce::Component* window);

private:
    /** Ends the message loop; from now on quit requests and quit signals do nothing. */
    void acceptQuit();
    static void logUnshownRefusal(const std::string& why) noexcept;

    std::unique_ptr<MainWindow> mainWindow;
    std::unique_ptr<QuitSignals> quitSignals;
    bool quitAccepted = false;
};
