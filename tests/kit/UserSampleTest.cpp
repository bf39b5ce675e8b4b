#include "kit/UserSample.h"

#include "kit/DrumKit.h"
#include "kit/KitTestSupport.h"
#include "plugin/PluginProcessor.h"

#include <gtest/gtest.h>

namespace garvo
{
namespace
{
using test::RawWav;
using test::ScopedTempFolder;
using test::writeRawWav;

class UserSamples : public ::testing::Test
{
protected:
    PadPtr userPad(Element element) { return processor.getKit().getUserPad(element); }

    ScopedTempFolder temp;
    GarvoRhythmProcessor processor;
};

TEST_F(UserSamples, KeepsTheFirstTenSecondsMixedToOneChannel)
{
    RawWav longStereo;
    longStereo.sampleRate = 22050;
    longStereo.channels = {std::vector<float>(30 * 22050, 0.25f), std::vector<float>(30 * 22050, -0.75f)};
    writeRawWav(temp / "long.wav", longStereo);
    processor.loadUserSampleFile(Element::Snare, temp / "long.wav");

    const auto pad = userPad(Element::Snare);
    ASSERT_NE(pad, nullptr);
    EXPECT_EQ(pad->audio.getNumChannels(), 1);
    EXPECT_EQ(pad->length(), 10 * 22050);
    EXPECT_EQ(pad->sampleRate, 22050.0);
    EXPECT_FLOAT_EQ(pad->audio.getSample(0, 0), -0.25f);
}

TEST_F(UserSamples, OtherFormatsTheBasicReadersKnowWork)
{
    const auto aiff = temp / "tone.aiff";
    {
        juce::AiffAudioFormat format;
        std::unique_ptr<juce::AudioFormatWriter> writer(
            format.createWriterFor(aiff.createOutputStream().release(), 48000.0, 1, 16, {}, 0));
        ASSERT_NE(writer, nullptr);
        juce::AudioBuffer<float> audio(1, 480);
        audio.clear();
        audio.setSample(0, 0, 0.5f);
        writer->writeFromAudioSampleBuffer(audio, 0, 480);
    }
    processor.loadUserSampleFile(Element::Cowbell, aiff);
    const auto pad = userPad(Element::Cowbell);
    ASSERT_NE(pad, nullptr);
    EXPECT_EQ(pad->length(), 480);
    EXPECT_EQ(pad->sampleRate, 48000.0);
}

// Every failure leaves the element's current sound in place; none of them clears it.
TEST_F(UserSamples, UnusableFilesChangeNothing)
{
    RawWav good;
    good.channels = {std::vector<float>(100, 0.5f)};
    writeRawWav(temp / "good.wav", good);
    (temp / "garbage.wav").replaceWithText("this is not audio");
    (temp / "folder.wav").createDirectory();
    RawWav empty;
    empty.channels = {{}};
    writeRawWav(temp / "empty.wav", empty);
    RawWav slow = good;
    slow.sampleRate = 4000;
    writeRawWav(temp / "slow.wav", slow);
    RawWav fast = good;
    fast.sampleRate = 1000000;
    writeRawWav(temp / "fast.wav", fast);

    processor.loadUserSampleFile(Element::Clap, temp / "good.wav");
    const auto installed = userPad(Element::Clap);
    ASSERT_NE(installed, nullptr);

    for (const auto& file : {juce::File(), temp / "missing.wav", temp / "folder.wav", temp / "garbage.wav",
                             temp / "empty.wav", temp / "slow.wav", temp / "fast.wav"})
    {
        processor.loadUserSampleFile(Element::Clap, file);
        EXPECT_EQ(userPad(Element::Clap), installed) << file.getFullPathName();
    }
    processor.loadUserSampleFile(elementFromIndex(20), temp / "good.wav");
    processor.loadUserSampleFile(elementFromIndex(-1), temp / "good.wav");
    for (int i = 0; i < kNumElements; ++i)
    {
        if (i != elementIndex(Element::Clap))
        {
            EXPECT_EQ(userPad(elementFromIndex(i)), nullptr) << i;
        }
    }
}

// A header can claim a rate so low that ten seconds round down to no sample at all; the old
// sound must stay rather than be cleared.
TEST_F(UserSamples, AFileThatDecodesToNoSamplesKeepsTheCurrentSound)
{
    const auto aiff = temp / "crawl.aiff";
    {
        juce::AiffAudioFormat format;
        std::unique_ptr<juce::AudioFormatWriter> writer(
            format.createWriterFor(aiff.createOutputStream().release(), 0.05, 1, 16, {}, 0));
        ASSERT_NE(writer, nullptr);
        juce::AudioBuffer<float> audio(1, 100);
        audio.clear();
        writer->writeFromAudioSampleBuffer(audio, 0, 100);
    }
    processor.getKit().setUserPad(Element::Kick, test::makeSteadyPad(0.5f));
    const auto installed = userPad(Element::Kick);
    processor.loadUserSampleFile(Element::Kick, aiff);
    EXPECT_EQ(userPad(Element::Kick), installed);
}

TEST_F(UserSamples, AHugeClaimedLengthIsCappedAtTenSeconds)
{
    RawWav liar;
    liar.channels = {std::vector<float>(16, 0.5f)};
    liar.claimedDataBytes = 0xfffffff0u;
    writeRawWav(temp / "liar.wav", liar);
    const auto pad = decodeUserSampleFile(temp / "liar.wav");
    ASSERT_NE(pad, nullptr);
    EXPECT_EQ(pad->length(), 441000);
}

TEST_F(UserSamples, ReplacingKeepsTheSoundingVoiceOnTheOldSampleAndRepitchesTunedElements)
{
    RawWav first;
    first.channels = {std::vector<float>(4410, 0.3f)};
    writeRawWav(temp / "first.wav", first);
    RawWav second = first;
    second.channels = {std::vector<float>(4410, 0.6f)};
    writeRawWav(temp / "second.wav", second);

    auto& kit = processor.getKit();
    processor.loadUserSampleFile(Element::Low_Tom, temp / "first.wav");
    kit.noteOnElement(Element::Low_Tom, 41, 1.0f);
    const auto firstPad = kit.voices[0].pad;
    EXPECT_NEAR(kit.voices[0].increment, std::exp2(-19.0 / 12.0), 1e-12);

    processor.loadUserSampleFile(Element::Low_Tom, temp / "second.wav");
    EXPECT_EQ(kit.voices[0].pad, firstPad);
    EXPECT_FLOAT_EQ(userPad(Element::Low_Tom)->audio.getSample(0, 0), 0.6f);
    kit.noteOnElement(Element::Low_Tom, 41, 1.0f);
    EXPECT_EQ(kit.voices[1].pad, userPad(Element::Low_Tom));
}
} // namespace
} // namespace garvo
