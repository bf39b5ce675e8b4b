#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <cstdlib>

// JUCE's message manager and GUI singletons must exist for processor and editor tests;
// creating them once for every suite keeps the test files free of set-up boilerplate.
int main(int argc, char** argv)
{
    // Without DISPLAY, JUCE connects to ":0", which may be the private X server of another test
    // running at the same time; such a process dies when that server goes away. The tests draw
    // offscreen, so they (and the programs they start) are kept off every X server instead.
    if (std::getenv("DISPLAY") == nullptr)
        setenv("DISPLAY", ":65535", 1);

    ::testing::InitGoogleTest(&argc, argv);
    const juce::ScopedJuceInitialiser_GUI juceInitialiser;
    return RUN_ALL_TESTS();
}
