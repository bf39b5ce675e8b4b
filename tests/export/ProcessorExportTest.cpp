#include "export/MidiFileWriter.h"
#include "export/OfflineRenderer.h"
#include "plugin/ParameterIds.h"
#include "plugin/PluginProcessor.h"
#include "rhythm/GenreDNA.h"
#include "support/DrumTreeFixture.h"
#include "support/JucePrinters.h"
#include "support/ProcessorHarness.h"
#include "support/SmfReader.h"

#include <gtest/gtest.h>

namespace garvo
{
namespace
{
constexpr auto kSnare = static_cast<std::size_t>(Element::Snare);
constexpr auto kClap = static_cast<std::size_t>(Element::Clap);

TEST(ProcessorExport, MidiExportsWriteThePublishedPattern)
{
    GarvoRhythmProcessor processor;
    const auto pattern = processor.getCurrentPatternCopy();
    ASSERT_FALSE(pattern.hits.empty());

    const auto full = processor.exportFullKitMidi();
    EXPECT_EQ(full, fullKitMidiBytes(pattern));
    const auto track = test::readSmf(full);
    ASSERT_TRUE(track.has_value());
    EXPECT_EQ(track->name, "Full Kit (Amapiano)");

    const auto lane = pattern.hits.begin()->first;
    const auto element = test::readSmf(processor.exportElementMidi(lane));
    ASSERT_TRUE(element.has_value());
    EXPECT_EQ(element->name, elementName(lane));
    EXPECT_EQ(element->notes.size(), 2 * pattern.hits.begin()->second.size());
}

TEST(ProcessorExport, SnapshotCopiesTheLiveSoundSettingsAndLeavesTheLiveKitAlone)
{
    GarvoRhythmProcessor processor;
    const auto plain = processor.liveKitSnapshot();
    EXPECT_EQ(plain.kitFolder, "Amapiano");
    EXPECT_EQ(plain.decayScale, 1.0f);
    EXPECT_EQ(plain.pitchSemitones, 0.0f);
    for (std::size_t i = 0; i < plain.variations.size(); ++i)
        EXPECT_TRUE(plain.variations[i] == 0 && plain.userPads[i] == nullptr);

    auto& kit = processor.getKit();
    const auto userClap = test::makeSteadyPad(0.6f);
    kit.variations[kSnare] = 3;
    kit.setUserPad(Element::Clap, userClap);
    test::setParameter(processor, paramId::kit, 2.0f); // "Warm"
    test::setParameter(processor, paramId::kitPitch, -7.0f);

    auto live = processor.liveKitSnapshot();
    EXPECT_EQ(live.variations[kSnare], 3);
    EXPECT_EQ(live.userPads[kClap], userClap); // the very same immutable sample
    EXPECT_EQ(live.decayScale, 1.45f);
    EXPECT_EQ(live.pitchSemitones, -7.0f);

    // Rendering from the snapshot changes nothing in the live kit.
    test::ScopedTempFolder library{"garvo-snapshot-library"};
    test::addDrumSample(library.get(), "Amapiano", "Snare", "s.wav", 0.3f, 441);
    live.libraryRoot = library.get();
    juce::AudioBuffer<float> buffer;
    renderPatternToBuffer(processor.getCurrentPatternCopy(), buffer, nullptr, live);
    EXPECT_EQ(kit.variations[kSnare].load(), 3);
    EXPECT_EQ(kit.getUserPad(Element::Clap), userClap);
    EXPECT_FALSE(kit.hasKits());
}

TEST(ProcessorExport, MorphExportsUseTheDominantCornersKit)
{
    GarvoRhythmProcessor processor;
    processor.setMorphPosition(1.0f, 1.0f);
    test::deliverPendingUpdates();
    ASSERT_TRUE(processor.isMorphing());

    const auto expected = buildPattern(processor.currentGenerationSettings(), processor.currentMorphState());
    const juce::String cornerKit(kitFolderForGenre(expected.kitGenre));
    EXPECT_EQ(processor.liveKitSnapshot().kitFolder, cornerKit);
    // The morphed pattern's own genre names no kit, which is why the snapshot carries the kit.
    EXPECT_NE(cornerKit, juce::String(kitFolderForGenre(processor.getCurrentPatternCopy().genre)));
}
} // namespace
} // namespace garvo
