// The program's entry: JUCE makes the application object and runs it.
#include "VelkRemoteApplication.h"

namespace {

juce::JUCEApplicationBase* createApplication()
{
    return new VelkRemoteApplication();
}

} // namespace

int main(int argc, char* argv[])
{
    juce::JUCEApplicationBase::createInstance = &createApplication;
    return juce::JUCEApplicationBase::main(argc, const_cast<const char**>(argv));
}
