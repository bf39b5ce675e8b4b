#include "kit/DrumLibrary.h"

#include "kit/DrumKit.h"
#include "support/DrumTreeFixture.h"
#include "support/JucePrinters.h"

#include <gtest/gtest.h>

namespace garvo
{
namespace
{
using test::ScopedTempFolder;

juce::File operator/(const juce::File& folder, const char* child)
{
    return folder.getChildFile(child);
}

// A minimal library: one kit folder holding an empty "Kick" folder.
juce::File makeTree(const juce::File& root, const juce::String& kit = "House")
{
    root.getChildFile(kit).getChildFile("Kick").createDirectory();
    return root;
}

juce::File bundledLibraryOf(const juce::File& folder)
{
    return folder.getChildFile("Contents/Resources/GARVO RHYTHM DRUMS");
}

juce::File pathFileIn(const juce::File& userData)
{
    return userData.getChildFile("GARVO Audio/GARVO RHYTHM/samples-path.txt");
}

juce::File installIn(const juce::File& applicationData)
{
    return applicationData.getChildFile("GARVO Audio/GARVO RHYTHM/Drum Samples");
}

// A machine laid out like a real one: an app bundle with its executable, per-user and
// machine-wide data folders, and a library elsewhere for the path file to name.
class Discovery : public ::testing::Test
{
protected:
    Discovery()
    {
        executable.create();
        for (const auto& folder : {userData, commonData})
            folder.createDirectory();
    }

    DrumTreeSearchPlaces places() const { return {userData, commonData, executable, application}; }

    ScopedTempFolder temp;
    juce::File bundle = temp / "GARVO RHYTHM.app";
    juce::File executable = bundle.getChildFile("Contents/MacOS/GARVO RHYTHM");
    juce::File application = bundle;
    juce::File userData = temp / "user";
    juce::File commonData = temp / "common";
    juce::File elsewhere = temp / "elsewhere";
};

TEST_F(Discovery, PathFileWinsOverTheBundleAndMayEndInALineBreak)
{
    makeTree(bundledLibraryOf(bundle));
    makeTree(elsewhere);
    pathFileIn(userData).create();
    pathFileIn(userData).replaceWithText("  " + elsewhere.getFullPathName() + "\n");
    EXPECT_EQ(findDrumTreeDir(places()), elsewhere);
}

TEST_F(Discovery, UnusablePathFilesAreSkippedForTheBundle)
{
    makeTree(bundledLibraryOf(bundle));
    makeTree(temp / "cwd/relative/library");
    const auto previousDirectory = juce::File::getCurrentWorkingDirectory();
    (temp / "cwd").setAsCurrentWorkingDirectory();

    struct Case
    {
        const char* what;
        std::function<void(const juce::File&)> makePathFile;
    };
    const std::vector<Case> cases{
        {"a folder", [](const juce::File& p) { p.createDirectory(); }},
        {"empty", [](const juce::File& p) { p.replaceWithText(""); }},
        {"names a folder without a kit holding Kick",
         [this](const juce::File& p)
         {
             (elsewhere / "House/Snare").createDirectory();
             p.replaceWithText(elsewhere.getFullPathName());
         }},
        // A relative path must not be turned into a File at all (it would resolve against the
        // working directory, where a library happens to sit).
        {"a relative path", [](const juce::File& p) { p.replaceWithText("relative/library\n"); }},
    };
    for (const auto& c : cases)
    {
        const auto pathFile = pathFileIn(userData);
        pathFile.deleteRecursively();
        pathFile.getParentDirectory().createDirectory();
        c.makePathFile(pathFile);
        EXPECT_EQ(findDrumTreeDir(places()), bundledLibraryOf(bundle)) << c.what;
    }
    previousDirectory.setAsCurrentWorkingDirectory();
}

TEST_F(Discovery, SearchOrderBundleThenMachineWideThenPerUser)
{
    makeTree(installIn(userData));
    EXPECT_EQ(findDrumTreeDir(places()), installIn(userData));
    makeTree(installIn(commonData));
    EXPECT_EQ(findDrumTreeDir(places()), installIn(commonData));
    makeTree(bundledLibraryOf(bundle));
    EXPECT_EQ(findDrumTreeDir(places()), bundledLibraryOf(bundle));
}

TEST_F(Discovery, WalkFindsALibraryBesideAnyAncestorOfTheExecutable)
{
    // Three steps up from the executable is the bundle; further up works the same.
    makeTree(bundledLibraryOf(temp.get()));
    EXPECT_EQ(findDrumTreeDir(places()), bundledLibraryOf(temp.get()));
}

TEST_F(Discovery, WalkFromTheApplicationWhenTheExecutableHasNone)
{
    const auto otherApp = temp / "other/App";
    otherApp.createDirectory();
    makeTree(bundledLibraryOf(otherApp));
    auto searched = places();
    searched.application = otherApp;
    EXPECT_EQ(findDrumTreeDir(searched), bundledLibraryOf(otherApp));
}

TEST_F(Discovery, NothingQualifiesGivesTheEmptyFileAfterWalkingToTheRoot)
{
    // "Drum Samples" without any kit holding a "Kick" folder does not count either.
    (installIn(userData) / "House/Snare").createDirectory();
    EXPECT_EQ(findDrumTreeDir(places()), juce::File());
    EXPECT_EQ(findDrumTreeDir(DrumTreeSearchPlaces{}), juce::File());
    EXPECT_EQ(describeDrumTreeSearch(places()).size(), 5);
}

TEST(DrumTreeTest, QualifiesOnlyWithAKitFolderHoldingAKickFolder)
{
    ScopedTempFolder temp;
    struct Case
    {
        const char* what;
        std::function<juce::File(const juce::File&)> make;
        bool expected;
    };
    const std::vector<Case> cases{
        {"empty path", [](const juce::File&) { return juce::File(); }, false},
        {"missing folder", [](const juce::File& r) { return r / "missing"; }, false},
        {"a file",
         [](const juce::File& r)
         {
             (r / "f").create();
             return r / "f";
         },
         false},
        {"kit folder holding Kick", [](const juce::File& r) { return makeTree(r, "Any"); }, true},
        {"hidden kit folder holding Kick", [](const juce::File& r) { return makeTree(r, ".hidden"); }, true},
        {"a kit folder passed as the root", [](const juce::File& r) { return makeTree(r) / "House"; }, false},
        {"Kick is a plain file",
         [](const juce::File& r)
         {
             (r / "House").createDirectory();
             (r / "House/Kick").create();
             (r / "Pop/Snare").createDirectory();
             return r;
         },
         false},
        {"Kick sits directly in the root",
         [](const juce::File& r)
         {
             (r / "Kick").createDirectory();
             return r;
         },
         false},
    };
    for (const auto& c : cases)
    {
        const auto root = temp / c.what;
        root.createDirectory();
        EXPECT_EQ(looksLikeDrumTree(c.make(root)), c.expected) << c.what;
    }
}

TEST(DrumTreeTest, ElementFolderTable)
{
    const std::vector<std::pair<int, juce::String>> cases{
        {0, "Kick"}, {1, "Snare"}, {2, "Clap"}, {4, "Closed Hat"}, {5, "Open Hat"}, {18, "Perc"},
        {3, ""},     {6, ""},      {17, ""},    {19, ""},          {20, ""},        {-1, ""},
    };
    for (const auto& [element, folder] : cases)
        EXPECT_EQ(juce::String(drumTreeFolderForElement(elementFromIndex(element))), folder) << element;
}

TEST(KitResolutionTest, ExactNameIgnoringCaseThenHouseElseUnchanged)
{
    struct Case
    {
        std::vector<juce::String> kits;
        const char* wanted;
        int expected; // -1: the current kit stays
    };
    const std::vector<Case> cases{
        {{"Amapiano", "House", "Pop"}, "house", 1},
        {{"Amapiano", "House", "Pop"}, "POP", 2},
        {{"Amapiano", "House", "Pop"}, "Dubstep", 1},
        {{"Amapiano", "Pop"}, "Dubstep", -1},
        {{"pop", "Pop"}, "Pop", 0},
        {{}, "House", -1},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(resolveKitIndex(c.kits, c.wanted), c.expected) << c.wanted;

        DrumKit kit;
        kit.kitNames = c.kits;
        kit.currentKit = 7;
        kit.selectKitByName(c.wanted);
        EXPECT_EQ(kit.currentKit.load(), c.expected >= 0 ? c.expected : 7) << c.wanted;
    }
}

TEST(KitResolutionTest, FileOrderIgnoresCaseWithoutNaturalNumbers)
{
    juce::Array<juce::File> files{juce::File("/x/Kick2.wav"), juce::File("/x/b.wav"), juce::File("/x/Kick10.wav"),
                                  juce::File("/x/A.wav")};
    sortByPathIgnoringCase(files);
    juce::StringArray names;
    for (const auto& file : files)
        names.add(file.getFileName());
    EXPECT_EQ(names, juce::StringArray({"A.wav", "b.wav", "Kick10.wav", "Kick2.wav"}));
}
} // namespace
} // namespace garvo
