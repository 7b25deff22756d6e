// Starts JUCE's message manager once for each test program of the interface, on the thread that
// runs the tests, and shuts JUCE down after the last test.
#include <gtest/gtest.h>

#include <juce_gui_basics/juce_gui_basics.h>

#include <X11/Xlib.h>

#include <memory>

namespace {

// On a bare X server (no window manager) JUCE sets properties with atoms that nobody created,
// and the server answers BadAtom. A JUCE program installs its own error handler; a test that
// sets JUCE up itself would get Xlib's default one, which ends the process.
int ignoreXError(Display*, XErrorEvent*)
{
    return 0;
}

class JuceTestEnvironment : public testing::Environment
{
public:
    void SetUp() override
    {
        XSetErrorHandler(ignoreXError);
        juce = std::make_unique<juce::ScopedJuceInitialiser_GUI>();
    }
    void TearDown() override { juce.reset(); }

private:
    std::unique_ptr<juce::ScopedJuceInitialiser_GUI> juce;
};

// Registered before main runs; the test main sets HOME first and then runs the tests, which is
// when the environment is set up.
const auto* const environment = testing::AddGlobalTestEnvironment(new JuceTestEnvironment);

} // namespace
