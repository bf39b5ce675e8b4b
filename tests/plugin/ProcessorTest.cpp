#include "rhythm/GenreDNA.h"
#include "support/ProcessorHarness.h"

#include <gtest/gtest.h>

namespace garvo
{
namespace
{
using test::deliverPendingUpdates;
using test::setParameter;

TEST(ProcessorParameters, LayoutHasTheTenParametersInOrderWithTheirRangesAndDefaults)
{
    struct Row
    {
        const char* id;
        const char* name;
        float minimum;
        float maximum;
        float interval;
        float defaultValue;
    };
    const Row rows[] = {
        {"genre", "Genre", 0.0f, 29.0f, 1.0f, 0.0f},
        {"seed", "Seed", 1.0f, 999999.0f, 1.0f, 1.0f},
        {"density", "Density", 0.0f, 1.0f, 0.001f, 0.6f},
        {"swing", "Swing", 50.0f, 65.0f, 0.1f, 54.0f},
        {"looseness", "Looseness", 0.0f, 1.0f, 0.001f, 0.4f},
        {"bars", "Bars", 1.0f, 8.0f, 1.0f, 2.0f},
        {"kit", "Kit", 0.0f, 3.0f, 1.0f, 0.0f},
        {"outGain", "Output", -24.0f, 24.0f, 0.1f, 0.0f},
        {"kitPitch", "Pitch", -24.0f, 24.0f, 1.0f, 0.0f},
        {"audioOn", "Audio", 0.0f, 1.0f, 1.0f, 1.0f},
    };

    GarvoRhythmProcessor processor;
    const auto& parameters = processor.getParameters();
    ASSERT_EQ(parameters.size(), 10);
    for (int index = 0; index < parameters.size(); ++index)
    {
        const auto& row = rows[index];
        auto* parameter = dynamic_cast<juce::RangedAudioParameter*>(parameters[index]);
        ASSERT_NE(parameter, nullptr);
        EXPECT_EQ(parameter->getParameterID(), row.id);
        EXPECT_EQ(parameter->getName(100), row.name);
        EXPECT_EQ(parameter->getVersionHint(), 1) << row.id;
        EXPECT_TRUE(parameter->isAutomatable()) << row.id;
        const auto& range = parameter->getNormalisableRange();
        EXPECT_FLOAT_EQ(range.start, row.minimum) << row.id;
        EXPECT_FLOAT_EQ(range.end, row.maximum) << row.id;
        EXPECT_FLOAT_EQ(range.interval, row.interval) << row.id;
        EXPECT_FLOAT_EQ(range.skew, 1.0f) << row.id;
        EXPECT_FLOAT_EQ(range.convertFrom0to1(parameter->getDefaultValue()), row.defaultValue) << row.id;
        EXPECT_FLOAT_EQ(processor.apvts.getRawParameterValue(row.id)->load(), row.defaultValue) << row.id;
    }
}

TEST(ProcessorParameters, GenreChoicesAreTheGenreNamesAndKitChoicesTheCharacters)
{
    GarvoRhythmProcessor processor;
    auto* genre = dynamic_cast<juce::AudioParameterChoice*>(processor.apvts.getParameter("genre"));
    ASSERT_NE(genre, nullptr);
    const auto names = genreNames();
    ASSERT_EQ(genre->choices.size(), static_cast<int>(names.size()));
    for (size_t index = 0; index < names.size(); ++index)
        EXPECT_EQ(genre->choices[static_cast<int>(index)], juce::String(names[index]));

    auto* kit = dynamic_cast<juce::AudioParameterChoice*>(processor.apvts.getParameter("kit"));
    ASSERT_NE(kit, nullptr);
    EXPECT_EQ(kit->choices, juce::StringArray({"Clean", "Punchy", "Warm", "Lo-fi"}));
}

TEST(ProcessorHost, BusLayoutsAcceptStereoOrMonoOutputOnly)
{
    using juce::AudioChannelSet;
    struct Row
    {
        AudioChannelSet output;
        bool accepted;
    };
    const Row rows[] = {
        {AudioChannelSet::stereo(), true},        {AudioChannelSet::mono(), true},
        {AudioChannelSet::disabled(), false},     {AudioChannelSet::createLCR(), false},
        {AudioChannelSet::quadraphonic(), false},
    };
    GarvoRhythmProcessor processor;
    for (const auto& row : rows)
    {
        juce::AudioProcessor::BusesLayout layout;
        layout.outputBuses.add(row.output);
        EXPECT_EQ(processor.isBusesLayoutSupported(layout), row.accepted) << row.output.getDescription();
        // The input side is not looked at.
        layout.inputBuses.add(AudioChannelSet::create5point1());
        EXPECT_EQ(processor.isBusesLayoutSupported(layout), row.accepted) << row.output.getDescription();
    }
}

TEST(ProcessorHost, IdentityProgramsAndMidiCapabilities)
{
    GarvoRhythmProcessor processor;
    EXPECT_EQ(processor.getName(), "GARVO RHYTHM");
    EXPECT_TRUE(processor.acceptsMidi());
    EXPECT_TRUE(processor.producesMidi());
    EXPECT_FALSE(processor.isMidiEffect());
    EXPECT_EQ(processor.getTailLengthSeconds(), 0.0);
    EXPECT_TRUE(processor.hasEditor());
    EXPECT_EQ(processor.getNumPrograms(), 1);
    EXPECT_EQ(processor.getCurrentProgram(), 0);
    EXPECT_EQ(processor.getProgramName(5), "Default");
    processor.setCurrentProgram(3);
    EXPECT_EQ(processor.getCurrentProgram(), 0);
    EXPECT_EQ(processor.getTotalNumInputChannels(), 0);
    EXPECT_EQ(processor.getTotalNumOutputChannels(), 2);
    EXPECT_EQ(processor.getBus(false, 0)->getName(), "Output");
}

TEST(ProcessorRegeneration, AFreshProcessorHoldsTheDefaultAmapianoPattern)
{
    GarvoRhythmProcessor processor;
    const auto pattern = processor.getCurrentPatternCopy();
    EXPECT_EQ(pattern.genre, "Amapiano");
    EXPECT_EQ(pattern.bars, 2);
    EXPECT_EQ(pattern.seed, 1);
    EXPECT_DOUBLE_EQ(pattern.tempo, 113.0);
}

TEST(ProcessorRegeneration, GenerationParametersRegenerateAndPlaybackParametersDoNot)
{
    GarvoRhythmProcessor processor;
    const auto original = processor.getCurrentPatternCopy();

    for (const auto& [id, value] : {std::pair{"kit", 2.0f}, {"kitPitch", 5.0f}, {"outGain", -6.0f}, {"audioOn", 0.0f}})
    {
        setParameter(processor, id, value);
        deliverPendingUpdates();
        EXPECT_EQ(processor.getCurrentPatternCopy(), original) << id;
    }

    setParameter(processor, "genre", 7.0f);
    setParameter(processor, "bars", 3.0f);
    deliverPendingUpdates();
    const auto changed = processor.getCurrentPatternCopy();
    EXPECT_EQ(changed.genre, "Drum & Bass");
    EXPECT_EQ(changed.bars, 3);
    EXPECT_DOUBLE_EQ(changed.tempo, 174.0);
}

TEST(ProcessorRegeneration, ChoosingAGenreEndsMorphingButOtherChangesKeepIt)
{
    GarvoRhythmProcessor processor;
    processor.setMorphPosition(1.5f, -0.25f);
    EXPECT_TRUE(processor.isMorphing());
    EXPECT_FLOAT_EQ(processor.getMorphX(), 1.0f);
    EXPECT_FLOAT_EQ(processor.getMorphY(), 0.0f);

    setParameter(processor, "seed", 42.0f);
    deliverPendingUpdates();
    EXPECT_TRUE(processor.isMorphing());
    EXPECT_EQ(processor.getCurrentPatternCopy().seed, 42);

    setParameter(processor, "genre", 20.0f);
    EXPECT_FALSE(processor.isMorphing());
    deliverPendingUpdates();
    EXPECT_EQ(processor.getCurrentPatternCopy().genre, "Trap");
}

TEST(ProcessorTransport, TogglePlayingRestartsFromTheFirstStep)
{
    GarvoRhythmProcessor processor;
    processor.prepareToPlay(44100.0, 512);
    juce::AudioBuffer<float> buffer(2, 512);
    juce::MidiBuffer midi;

    EXPECT_TRUE(processor.togglePlaying());
    for (int block = 0; block < 10; ++block)
        processor.processBlock(buffer, midi);
    EXPECT_GT(processor.getInternalPpq(), 0.0);

    EXPECT_FALSE(processor.togglePlaying());
    const auto stoppedAt = processor.getInternalPpq();
    processor.processBlock(buffer, midi);
    EXPECT_EQ(processor.getInternalPpq(), stoppedAt);

    EXPECT_TRUE(processor.togglePlaying());
    EXPECT_EQ(processor.getInternalPpq(), 0.0);
}
} // namespace
} // namespace garvo
