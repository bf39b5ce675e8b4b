#include "rhythm/GenreDNA.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <juce_core/juce_core.h>

namespace garvo
{
namespace
{
TEST(GenresCommand, PrintsEveryGenreNameOnItsOwnLineInAppOrder)
{
    const char* dir = std::getenv("GARVO_BINARY_DIR");
    const auto binary =
        juce::File(dir != nullptr ? juce::String(dir) : juce::File::getCurrentWorkingDirectory().getFullPathName())
            .getChildFile("garvo-rhythm");
    juce::ChildProcess process;
    ASSERT_TRUE(process.start(juce::StringArray{binary.getFullPathName(), "genres"}));
    const auto lines = juce::StringArray::fromLines(process.readAllProcessOutput().trimEnd());
    EXPECT_EQ(process.getExitCode(), 0u);
    const auto names = genreNames();
    ASSERT_EQ(lines.size(), static_cast<int>(names.size()));
    for (size_t i = 0; i < names.size(); ++i)
        EXPECT_EQ(lines[static_cast<int>(i)], juce::String(names[i]));
}
} // namespace
} // namespace garvo
