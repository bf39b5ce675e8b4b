#include "cli/Commands.h"
#include "plugin/GarvoColours.h"
#include "support/DrumTreeFixture.h"

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

namespace garvo::cli
{
int runSnapshotCommand(const juce::StringArray& args);

namespace
{
class SnapshotCommandTest : public ::testing::Test
{
protected:
    juce::Image run(juce::StringArray args, int expectedExit = kExitOk)
    {
        args.addArray({"--out", out.getFullPathName()});
        EXPECT_EQ(runSnapshotCommand(args), expectedExit) << args.joinIntoString(" ");
        return juce::ImageFileFormat::loadFrom(out);
    }

    test::ScopedTempFolder folder{"garvo-snapshot"};
    juce::File out = folder / "editor.png";
};

TEST_F(SnapshotCommandTest, WritesTheEditorAtTheRequestedSize)
{
    const auto initial = run({});
    ASSERT_TRUE(initial.isValid());
    EXPECT_EQ(initial.getWidth(), 1220);
    EXPECT_EQ(initial.getHeight(), 760);
    // The header's gold rule runs across the top of the picture.
    EXPECT_GT(initial.getPixelAt(600, 67).getRed(), initial.getPixelAt(600, 67).getBlue() + 20);

    const auto smallest = run({"--width", "960", "--height", "600", "--bars", "8"});
    ASSERT_TRUE(smallest.isValid());
    EXPECT_EQ(smallest.getWidth(), 960);
    EXPECT_EQ(smallest.getHeight(), 600);
}

TEST_F(SnapshotCommandTest, ShowsMutedLanesAndTheMorphPuck)
{
    // The first row's mute dot: filled purple when audible, hollow when muted.
    const juce::Point<int> dot{344 + 22, 68 + 34 + 23};
    const auto audible = run({});
    const auto muted = run({"--mute", "kick"});
    ASSERT_TRUE(audible.isValid() && muted.isValid());
    EXPECT_TRUE(audible.getPixelAt(dot.x, dot.y).getBlue() > 200)
        << audible.getPixelAt(dot.x, dot.y).toDisplayString(true);
    EXPECT_LT(muted.getPixelAt(dot.x, dot.y).getBrightness(), 0.2f);

    // --morph 1,0 puts the puck in the pad's top right corner: (20 + 6 + 294, 218 + 6).
    const auto morphed = run({"--morph", "1,0"});
    ASSERT_TRUE(morphed.isValid());
    const auto puck = morphed.getPixelAt(320, 224);
    EXPECT_TRUE(puck.getRed() > 200 && puck.getGreen() > 140 && puck.getBlue() < 120) << puck.toDisplayString(true);
    const auto centre = morphed.getPixelAt(20 + 153, 218 + 139);
    EXPECT_LT(centre.getRed(), 200);
}

TEST_F(SnapshotCommandTest, RejectsWrongOptionsAndReportsUnwritableFiles)
{
    const juce::StringArray usageErrors[] = {
        {"--width", "959", "--out", "x.png"},
        {"--height", "1501", "--out", "x.png"},
        {"--mute", "Cymbal", "--out", "x.png"},
        {"--width"},
        {"--frobnicate", "1", "--out", "x.png"},
        {"--seed", "0", "--out", "x.png"},
        {},
    };
    for (const auto& args : usageErrors)
        EXPECT_EQ(runSnapshotCommand(args), kExitUsage) << args.joinIntoString(" ");

    const auto blocker = folder / "file";
    blocker.replaceWithText("x");
    EXPECT_EQ(runSnapshotCommand({"--out", blocker.getChildFile("editor.png").getFullPathName()}), kExitFailure);
}
} // namespace
} // namespace garvo::cli
