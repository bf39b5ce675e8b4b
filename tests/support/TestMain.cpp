#include <juce_gui_basics/juce_gui_basics.h>
#include <gtest/gtest.h>

// JUCE's message manager and GUI singletons must exist for processor and editor tests;
// creating them once for every suite keeps the test files free of set-up boilerplate.
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    const juce::ScopedJuceInitialiser_GUI juceInitialiser;
    return RUN_ALL_TESTS();
}
