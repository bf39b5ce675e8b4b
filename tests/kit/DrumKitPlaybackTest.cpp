#include "kit/AllocationCounting.h"
#include "kit/DrumKit.h"
#include "kit/KitTestSupport.h"

#include <climits>
#include <cmath>
#include <gtest/gtest.h>

namespace garvo
{
namespace
{
using test::makeSteadyPad;
using test::renderKit;

PadPtr padOf(std::vector<float> samples, double sampleRate = 44100.0)
{
    auto pad = std::make_shared<Pad>();
    pad->audio.setSize(1, static_cast<int>(samples.size()));
    for (std::size_t i = 0; i < samples.size(); ++i)
        pad->audio.setSample(0, static_cast<int>(i), samples[i]);
    pad->sampleRate = sampleRate;
    return pad;
}

// One kit named "House" whose rows hold the given pads, in variation order.
void giveKit(DrumKit& kit, const std::vector<std::pair<Element, std::vector<PadPtr>>>& rows,
             const juce::String& name = "House")
{
    KitTable table{};
    for (const auto& [element, pads] : rows)
        for (std::size_t v = 0; v < pads.size(); ++v)
            table[static_cast<std::size_t>(elementIndex(element))][v] = pads[v];
    kit.kits.push_back(table);
    kit.kitNames.push_back(name);
}

int activeVoices(const DrumKit& kit)
{
    return static_cast<int>(
        std::count_if(kit.voices.begin(), kit.voices.end(), [](const DrumKit::Voice& v) { return v.active; }));
}

TEST(DrumKitPlayback, IncrementFromRatesPitchAndTuning)
{
    struct Case
    {
        const char* what;
        double kitRate;
        double padRate;
        Element element;
        int note;
        float pitch;
        double expected;
    };
    const std::vector<Case> cases{
        {"48 kHz kit, 44.1 kHz pad", 48000.0, 44100.0, Element::Kick, 36, 0.0f, 0.91875},
        {"untuned ignores its note", 44100.0, 44100.0, Element::Snare, 90, 0.0f, 1.0},
        {"Low_Tom 41 is 19 semitones down", 44100.0, 44100.0, Element::Low_Tom, 41, 0.0f, std::exp2(-19.0 / 12.0)},
        {"plus kit pitch 12", 44100.0, 44100.0, Element::Low_Tom, 41, 12.0f, std::exp2(-7.0 / 12.0)},
        {"Log_Drum two octaves down", 44100.0, 44100.0, Element::Log_Drum, 36, 0.0f, 0.25},
        {"Cuica 18 semitones up", 44100.0, 44100.0, Element::Cuica, 78, 0.0f, std::exp2(18.0 / 12.0)},
        {"kit pitch on untuned", 44100.0, 44100.0, Element::Clap, 39, -12.0f, 0.5},
        {"no kit rate: no rate ratio", 0.0, 22050.0, Element::Kick, 36, 0.0f, 1.0},
    };
    for (const auto& c : cases)
    {
        DrumKit kit;
        kit.sampleRate = c.kitRate;
        kit.pitchSemitones = c.pitch;
        kit.setUserPad(c.element, makeSteadyPad(0.5f, 64, c.padRate));
        kit.noteOnElement(c.element, c.note, 1.0f);
        EXPECT_NEAR(kit.voices[0].increment, c.expected, 1e-12) << c.what;
    }
}

TEST(DrumKitPlayback, VelocityGainAndDecayFactor)
{
    struct Case
    {
        float velocity;
        float expectedGain;
    };
    for (const auto& c : std::vector<Case>{{0.0f, 0.05f}, {0.5f, 0.5f}, {1.5f, 1.0f}, {std::nanf(""), 0.05f}})
    {
        DrumKit kit;
        kit.setUserPad(Element::Kick, makeSteadyPad(0.5f));
        kit.decayScale = 0.5f;
        kit.noteOnElement(Element::Kick, 36, c.velocity);
        EXPECT_EQ(kit.voices[0].velocityGain, c.expectedGain) << c.velocity;
        EXPECT_EQ(kit.voices[0].decayPerSample, static_cast<float>(std::exp(-1.0 / (44100.0 * 2.0))));

        kit.decayScale = 0.0f; // the shortest decay: one sample
        kit.noteOnElement(Element::Kick, 36, 1.0f);
        EXPECT_EQ(kit.voices[1].decayPerSample, static_cast<float>(std::exp(-1.0)));
    }
}

TEST(DrumKitPlayback, InterpolatesDecaysAndSoftClips)
{
    DrumKit kit;
    kit.setUserPad(Element::Kick, padOf({0.0f, 0.8f, 0.4f, 0.4f, 0.4f}));
    kit.pitchSemitones = -12.0f; // half speed: every other output sample lies between two samples
    kit.noteOnElement(Element::Kick, 36, 0.5f);
    const auto decay = kit.voices[0].decayPerSample;

    const auto out = renderKit(kit, 10, 2);
    const std::vector<float> padValues{0.0f, 0.4f, 0.8f, 0.6f, 0.4f, 0.4f, 0.4f, 0.4f};
    float envelope = 1.0f;
    for (int i = 0; i < 8; ++i)
    {
        const auto expected = std::tanh(padValues[static_cast<std::size_t>(i)] * envelope * 0.5f);
        EXPECT_FLOAT_EQ(out.getSample(0, i), expected) << i;
        EXPECT_EQ(out.getSample(1, i), out.getSample(0, i)) << "every channel gets the same signal";
        envelope *= decay;
    }
    // The read position reached the last sample: the voice ends there.
    EXPECT_EQ(out.getSample(0, 8), 0.0f);
    EXPECT_FALSE(kit.voices[0].active);
}

TEST(DrumKitPlayback, RenderAddsAndClipsTheSumWithTanh)
{
    DrumKit kit;
    kit.setUserPad(Element::Kick, makeSteadyPad(0.5f));
    for (int i = 0; i < 20; ++i)
        kit.noteOnElement(Element::Kick, 36, 1.0f);

    juce::AudioBuffer<float> buffer(1, 4);
    buffer.clear();
    buffer.setSample(0, 0, 0.25f);
    kit.render(buffer, 0, 1);
    EXPECT_FLOAT_EQ(buffer.getSample(0, 0), 0.25f + std::tanh(10.0f));
    kit.render(buffer, 2, 0); // nothing to do
    kit.render(buffer, 3, 5); // clamped to the buffer's end
    EXPECT_EQ(buffer.getSample(0, 2), 0.0f);
    EXPECT_GT(buffer.getSample(0, 3), 0.99f);
}

TEST(DrumKitPlayback, ShortPadsAndTheSilenceThreshold)
{
    struct Case
    {
        const char* what;
        int padLength;
        float decayScale;
        int expectedSoundingSamples;
    };
    const std::vector<Case> cases{
        {"one sample never sounds", 1, 1.0f, 0},
        {"two samples sound once", 2, 1.0f, 1},
        // e^-1 per sample: 0.0008 is crossed after the 8th sample, which still sounds.
        {"envelope threshold", 100, 0.0f, 8},
    };
    for (const auto& c : cases)
    {
        DrumKit kit;
        kit.decayScale = c.decayScale;
        kit.setUserPad(Element::Kick, makeSteadyPad(0.5f, c.padLength));
        kit.noteOnElement(Element::Kick, 36, 1.0f);
        const auto out = renderKit(kit, 16);
        int sounding = 0;
        for (int i = 0; i < 16; ++i)
            sounding += out.getSample(0, i) != 0.0f ? 1 : 0;
        EXPECT_EQ(sounding, c.expectedSoundingSamples) << c.what;
        EXPECT_FALSE(kit.voices[0].active) << c.what;
    }
}

TEST(DrumKitPlayback, PadChoiceFollowsKitRowAndVariation)
{
    DrumKit kit;
    const auto percA = makeSteadyPad(0.1f);
    const auto percB = makeSteadyPad(0.2f);
    const auto kick = makeSteadyPad(0.3f);
    const auto otherKick = makeSteadyPad(0.4f);
    giveKit(kit, {{Element::Perc_1, {percA, percB}}, {Element::Kick, {kick}}});
    giveKit(kit, {{Element::Kick, {otherKick}}}, "Pop");

    struct Case
    {
        const char* what;
        int currentKit;
        Element element;
        int rimVariation;
        int percVariation;
        PadPtr expected;
    };
    const std::vector<Case> cases{
        {"Rim plays the Perc row with the Perc_1 variation", 0, Element::Rim, 0, 1, percB},
        {"Low_Tom too", 0, Element::Low_Tom, 4, 0, percA},
        {"variation beyond the filled slots: nothing", 0, Element::Perc_1, 0, 3, nullptr},
        {"negative variation clamps to 0", 0, Element::Perc_1, 0, -2, percA},
        {"kit beyond the last plays the last", 9, Element::Kick, 0, 0, otherKick},
        {"negative kit plays the first", -3, Element::Kick, 0, 0, kick},
        {"no Perc row in that kit", 1, Element::Conga, 0, 0, nullptr},
    };
    for (const auto& c : cases)
    {
        kit.allNotesOff();
        kit.currentKit = c.currentKit;
        kit.variations[static_cast<std::size_t>(Element::Rim)] = c.rimVariation;
        kit.variations[static_cast<std::size_t>(Element::Perc_1)] = c.percVariation;
        const auto serialBefore = kit.voices[0].startSerial;
        kit.noteOnElement(c.element, 60, 1.0f);
        if (c.expected != nullptr)
        {
            EXPECT_EQ(kit.voices[0].pad, c.expected) << c.what;
            EXPECT_TRUE(kit.voices[0].active) << c.what;
        }
        else
        {
            EXPECT_EQ(kit.voices[0].startSerial, serialBefore) << c.what;
            EXPECT_FALSE(kit.voices[0].active) << c.what;
        }
    }
}

TEST(DrumKitPlayback, VariationCountsFollowTheSameRow)
{
    DrumKit kit;
    EXPECT_EQ(kit.getElementVariationCount(Element::Kick), 0) << "no kits";
    giveKit(kit, {{Element::Perc_1, {makeSteadyPad(0.1f), makeSteadyPad(0.2f), makeSteadyPad(0.3f)}},
                  {Element::Kick, {makeSteadyPad(0.1f)}}});
    giveKit(kit, {{Element::Kick, {makeSteadyPad(0.1f), makeSteadyPad(0.2f)}}}, "Pop");
    kit.setUserPad(Element::Snare, makeSteadyPad(0.5f)); // user samples are not counted

    const std::vector<std::tuple<int, Element, int>> cases{
        {0, Element::Perc_1, 3}, {0, Element::Rim, 3},   {0, Element::Perc_2, 3},
        {0, Element::Kick, 1},   {0, Element::Snare, 0}, {0, elementFromIndex(20), 0},
        {1, Element::Kick, 2},   {5, Element::Kick, 2},  {1, Element::Rim, 0},
    };
    for (const auto& [currentKit, element, expected] : cases)
    {
        kit.currentKit = currentKit;
        EXPECT_EQ(kit.getElementVariationCount(element), expected)
            << "kit " << currentKit << ", element " << elementIndex(element);
    }
}

TEST(DrumKitPlayback, UserPadOverridesEveryKitAndVariation)
{
    DrumKit kit;
    const auto library = makeSteadyPad(0.1f);
    giveKit(kit, {{Element::Snare, {library, library}}});
    const auto user = makeSteadyPad(0.9f);
    kit.setUserPad(Element::Snare, user);
    kit.variations[1] = 1;
    kit.noteOnElement(Element::Snare, 38, 1.0f);
    EXPECT_EQ(kit.voices[0].pad, user);
    kit.noteOnElement(elementFromIndex(20), 38, 1.0f);
    EXPECT_EQ(activeVoices(kit), 1) << "an element beyond the table finds no pad";
}

// Stealing the newest voice would cut the freshest hit while old tails ring on.
TEST(DrumKitPlayback, FullPoolStealsTheOldestVoiceEvenAcrossCounterWrap)
{
    for (const auto counterStart : {0, INT_MAX - 10})
    {
        DrumKit kit;
        kit.noteCounter = counterStart;
        kit.setUserPad(Element::Kick, makeSteadyPad(0.1f));
        for (int i = 0; i < kNumVoices; ++i)
            kit.noteOnElement(Element::Kick, 36, 1.0f);
        ASSERT_EQ(activeVoices(kit), kNumVoices);
        const auto newestSerial = kit.voices[31].startSerial;

        kit.noteOnElement(Element::Kick, 36, 1.0f);
        kit.noteOnElement(Element::Kick, 36, 1.0f);
        EXPECT_EQ(kit.voices[0].startSerial, static_cast<int>(static_cast<unsigned>(newestSerial) + 1u));
        EXPECT_EQ(kit.voices[1].startSerial, static_cast<int>(static_cast<unsigned>(newestSerial) + 2u));
        EXPECT_EQ(kit.voices[31].startSerial, newestSerial) << "the newest hit keeps sounding";
    }
}

TEST(DrumKitPlayback, NoteOnWithoutAPadChangesNoVoice)
{
    DrumKit kit;
    kit.setUserPad(Element::Kick, makeSteadyPad(0.1f));
    for (int i = 0; i < kNumVoices; ++i)
        kit.noteOnElement(Element::Kick, 36, 1.0f);
    renderKit(kit, 10);
    const auto before = kit.voices;

    kit.noteOnElement(Element::Snare, 38, 1.0f);       // nothing loaded for it
    kit.noteOnElement(elementFromIndex(25), 38, 1.0f); // no such element
    for (std::size_t i = 0; i < kit.voices.size(); ++i)
    {
        EXPECT_TRUE(kit.voices[i].active) << i;
        EXPECT_EQ(kit.voices[i].startSerial, before[i].startSerial) << i;
        EXPECT_EQ(kit.voices[i].position, before[i].position) << i;
    }
}

TEST(DrumKitPlayback, AudioPathNeitherAllocatesNorFreesWhenAUserPadIsReplacedMidNote)
{
    DrumKit kit;
    giveKit(kit, {{Element::Kick, {makeSteadyPad(0.2f)}}});
    kit.setUserPad(Element::Snare, makeSteadyPad(0.5f));
    const std::weak_ptr<const Pad> first = kit.getUserPad(Element::Snare);
    juce::AudioBuffer<float> buffer(2, 512);
    buffer.clear();
    long allocations = -1;
    long frees = -1;
    {
        const test::ScopedAllocationCounter counter;
        kit.noteOnElement(Element::Snare, 38, 1.0f);
        kit.render(buffer, 0, 512);
        allocations = counter.allocations();
    }
    EXPECT_EQ(allocations, 0);

    // The message thread replaces the sample while a voice still plays the first one.
    kit.setUserPad(Element::Snare, makeSteadyPad(0.6f));
    kit.releaseRetiredUserPads();
    EXPECT_FALSE(first.expired()) << "a voice still holds it";

    {
        // Every voice is reused, so the voice that held the first pad lets go of it here.
        const test::ScopedAllocationCounter counter;
        for (int i = 0; i < 2 * kNumVoices; ++i)
            kit.noteOnElement(i % 2 == 0 ? Element::Kick : Element::Snare, 36, 1.0f);
        kit.render(buffer, 0, 512);
        kit.allNotesOff();
        allocations = counter.allocations();
        frees = counter.frees();
    }
    EXPECT_EQ(allocations, 0);
    EXPECT_EQ(frees, 0);
    EXPECT_FALSE(first.expired());
    kit.releaseRetiredUserPads();
    EXPECT_TRUE(first.expired()) << "released on the message thread once no voice holds it";
    EXPECT_EQ(kit.retiredUserPadCount(), 0u);
}
} // namespace
} // namespace garvo
