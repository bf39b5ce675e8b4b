#include "kit/DrumKit.h"
#include "kit/KitTestSupport.h"
#include "support/JucePrinters.h"

#include <gtest/gtest.h>

namespace garvo
{
namespace
{
using test::addDrumSample;
using test::RawWav;
using test::ScopedTempFolder;
using test::writeRawWav;

// Each fixture file has its own steady level, so a pad tells which file it came from.
float firstSample(const PadPtr& pad)
{
    return pad != nullptr ? pad->audio.getSample(0, 0) : -1.0f;
}

std::vector<float> rowLevels(const DrumKit& kit, std::size_t kitIndex, Element element)
{
    std::vector<float> levels;
    for (const auto& pad : kit.kits[kitIndex][static_cast<std::size_t>(elementIndex(element))])
        if (pad != nullptr)
            levels.push_back(firstSample(pad));
    return levels;
}

TEST(DrumKitLoad, FiveVariationsInPathOrderSkippingUnreadableAndHiddenFiles)
{
    ScopedTempFolder library;
    const auto folder = library / "House/Snare";
    // Seven candidates; "02" cannot be read and does not use up a slot; "07" is never reached.
    for (int i = 1; i <= 7; ++i)
        addDrumSample(library.get(), "House", "Snare", "Snare0" + juce::String(i) + ".wav",
                      0.1f * static_cast<float>(i), 16);
    folder.getChildFile("Snare02.wav").replaceWithText("not audio");
    addDrumSample(library.get(), "House", "Snare", "._Snare00.wav", 0.9f, 16); // resource-fork debris
    addDrumSample(library.get(), "House", "Snare", "Snare00.aif", 0.9f, 16);   // not a WAV name
    folder.getChildFile("sub").createDirectory();
    addDrumSample(library.get(), "House", "Snare", "sub/Snare00.wav", 0.9f, 16); // not searched
    addDrumSample(library.get(), "House", "Kick", "Kick.wav", 0.5f, 16);

    DrumKit kit;
    EXPECT_EQ(kit.loadGenreDrumTree(library.get()), 6);
    ASSERT_EQ(kit.kits.size(), 1u);
    const std::vector<float> expected{0.1f, 0.3f, 0.4f, 0.5f, 0.6f};
    EXPECT_EQ(rowLevels(kit, 0, Element::Snare), expected);
}

TEST(DrumKitLoad, KitsInCaseInsensitiveOrderAndKitsWithoutPadsDropped)
{
    ScopedTempFolder library;
    addDrumSample(library.get(), "house", "Kick", "k.wav", 0.1f, 16);
    addDrumSample(library.get(), "Bass", "Perc", "p.wav", 0.2f, 16);
    addDrumSample(library.get(), "afro", "Clap", "c.wav", 0.3f, 16);
    (library / "Empty/Kick").createDirectory();
    addDrumSample(library.get(), "Odd", "Rim", "r.wav", 0.4f, 16); // not an element folder
    (library / "loose.wav").replaceWithText("files in the root are ignored");

    DrumKit kit;
    EXPECT_EQ(kit.loadGenreDrumTree(library.get()), 3);
    EXPECT_EQ(kit.kitNames, (std::vector<juce::String>{"afro", "Bass", "house"}));
    EXPECT_EQ(kit.kits.size(), 3u);
}

TEST(DrumKitLoad, ReplacesTheLibraryButLeavesSelectionsAndUserPads)
{
    ScopedTempFolder library;
    addDrumSample(library.get(), "House", "Kick", "k.wav", 0.1f, 16);
    DrumKit kit;
    kit.currentKit = 3;
    kit.variations[2] = 4;
    kit.setUserPad(Element::Clap, test::makeSteadyPad(0.5f, 8));
    ASSERT_EQ(kit.loadGenreDrumTree(library.get()), 1);

    for (const auto& unusable : {juce::File(), library / "missing", library / "House/Kick/k.wav"})
    {
        kit.loadGenreDrumTree(library.get());
        EXPECT_EQ(kit.loadGenreDrumTree(unusable), 0) << unusable.getFullPathName();
        EXPECT_FALSE(kit.hasKits());
        EXPECT_TRUE(kit.kits.empty());
    }
    EXPECT_EQ(kit.currentKit.load(), 3);
    EXPECT_EQ(kit.variations[2].load(), 4);
    EXPECT_NE(kit.getUserPad(Element::Clap), nullptr);
}

TEST(DrumKitLoad, MultiChannelFilesAreMixedToTheirMean)
{
    ScopedTempFolder library;
    RawWav stereo;
    stereo.channels = {{0.2f, -1.0f, 0.5f}, {0.6f, 1.0f, 0.0f}};
    stereo.sampleRate = 22050;
    writeRawWav(library / "House/Kick/stereo.wav", stereo);
    RawWav quad;
    quad.channels = {{0.4f, 0.0f}, {0.0f, 0.0f}, {0.0f, 0.8f}, {0.0f, 0.0f}};
    writeRawWav(library / "House/Perc/quad.wav", quad);

    DrumKit kit;
    ASSERT_EQ(kit.loadGenreDrumTree(library.get()), 2);
    const auto& stereoPad = kit.kits[0][0][0];
    ASSERT_EQ(stereoPad->audio.getNumChannels(), 1);
    ASSERT_EQ(stereoPad->length(), 3);
    EXPECT_FLOAT_EQ(stereoPad->audio.getSample(0, 0), 0.4f);
    EXPECT_FLOAT_EQ(stereoPad->audio.getSample(0, 1), 0.0f);
    EXPECT_FLOAT_EQ(stereoPad->audio.getSample(0, 2), 0.25f);
    EXPECT_EQ(stereoPad->sampleRate, 22050.0);
    const auto& quadPad = kit.kits[0][18][0];
    EXPECT_FLOAT_EQ(quadPad->audio.getSample(0, 0), 0.1f);
    EXPECT_FLOAT_EQ(quadPad->audio.getSample(0, 1), 0.2f);
}

// Damaged headers must neither exhaust memory nor hang the loader; plausible extremes still load.
TEST(DrumKitLoad, UntrustedHeadersAreBoundedOrSkipped)
{
    struct Case
    {
        const char* what;
        RawWav wav;
        int expectedLength; // 0: skipped
    };
    const auto tiny = std::vector<std::vector<float>>{{0.5f, 0.5f, 0.5f, 0.5f}};
    const std::vector<Case> cases{
        {"rate below 8 kHz", {tiny, 7999, {}, {}}, 0},
        {"rate above 384 kHz", {tiny, 384001, {}, {}}, 0},
        {"rate of 8 kHz", {tiny, 8000, {}, {}}, 4},
        {"rate of 384 kHz", {tiny, 384000, {}, {}}, 4},
        // The data chunk claims about a billion samples; only 30 seconds are allocated.
        {"claims a huge length", {tiny, 44100, {}, 0xfffffff0u}, 30 * 44100},
        // A frame of thousands of channels does not fit the format reader's block, and it would
        // spin for ever.
        {"claims 4000 channels", {tiny, 44100, std::uint16_t{4000}, 0xfffffff0u}, 0},
    };
    for (const auto& c : cases)
    {
        ScopedTempFolder library;
        addDrumSample(library.get(), "House", "Kick", "a.wav", 0.1f, 16);
        writeRawWav(library / "House/Kick/b.wav", c.wav);
        DrumKit kit;
        const auto loaded = kit.loadGenreDrumTree(library.get());
        EXPECT_EQ(loaded, c.expectedLength > 0 ? 2 : 1) << c.what;
        const auto& pad = kit.kits[0][0][1];
        EXPECT_EQ(pad != nullptr ? pad->length() : 0, c.expectedLength) << c.what;
    }
}
} // namespace
} // namespace garvo
