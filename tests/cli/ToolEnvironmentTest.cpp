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

namespace garvo
{
namespace
{
// A program started through PATH from another folder must still find the library beside it.
TEST(LibraryDiscovery, TheToolStartedThroughPathFromAnotherFolderFindsTheLibraryBesideIt)
{
    const char* dir = std::getenv("GARVO_BINARY_DIR");
    const auto buildDir = dir != nullptr ? juce::File(juce::String(dir)) : juce::File::getCurrentWorkingDirectory();
    if (!buildDir.getChildFile("Contents/Resources/GARVO RHYTHM DRUMS").isDirectory())
        GTEST_SKIP() << "no factory library in the build folder";

    const juce::TemporaryFile elsewhere;
    ASSERT_TRUE(elsewhere.getFile().createDirectory());
    // A login shell's cd and PATH lookup, without depending on this process's working folder.
    const auto script = "cd '" + elsewhere.getFile().getFullPathName() + "' && PATH='" + buildDir.getFullPathName() +
                        "':\"$PATH\" garvo-rhythm library";
    juce::ChildProcess process;
    ASSERT_TRUE(process.start(juce::StringArray{"/bin/sh", "-c", script}));
    const auto output = process.readAllProcessOutput();
    EXPECT_EQ(process.getExitCode(), 0u) << output;
    EXPECT_TRUE(output.contains(buildDir.getChildFile("Contents/Resources/GARVO RHYTHM DRUMS").getFullPathName()))
        << output;
    elsewhere.getFile().deleteRecursively();
}
} // namespace
} // namespace garvo
