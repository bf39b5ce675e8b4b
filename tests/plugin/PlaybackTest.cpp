#include "support/ProcessorHarness.h"

#include <cmath>
#include <gtest/gtest.h>
#include <vector>

namespace garvo
{
namespace
{
using test::FakePlayHead;
using test::makeHit;

struct MidiEvent
{
    int sample;
    juce::uint8 status;
    int note;
    int velocity;
};

std::vector<MidiEvent> eventsOf(const juce::MidiBuffer& midi)
{
    std::vector<MidiEvent> events;
    for (const auto metadata : midi)
    {
        const auto* data = metadata.data;
        events.push_back({metadata.samplePosition, data[0], data[1], metadata.numBytes > 2 ? data[2] : -1});
    }
    return events;
}

// A pad that holds a constant level, so a voice's start and gain are easy to read in the output.
PadPtr constantPad(float level, int length = 44100)
{
    auto pad = std::make_shared<Pad>();
    pad->audio.setSize(1, length);
    pad->audio.clear();
    for (int i = 0; i < length; ++i)
        pad->audio.setSample(0, i, level);
    pad->sampleRate = 44100.0;
    return pad;
}

class Playback : public ::testing::Test
{
protected:
    void SetUp() override
    {
        processor.prepareToPlay(44100.0, blockSize);
        for (auto& pad : processor.getKit().userPads)
            std::atomic_store(&pad, constantPad(0.5f));
    }

    void publish(std::map<Element, std::vector<Hit>> hits, double tempo = 120.0, int bars = 1)
    {
        Pattern pattern;
        pattern.tempo = tempo;
        pattern.bars = bars;
        pattern.genre = "Test";
        pattern.hits = std::move(hits);
        processor.publishPattern(std::move(pattern));
    }

    std::vector<MidiEvent> runBlock(int numSamples = blockSize)
    {
        buffer.setSize(2, numSamples, false, false, true);
        midi.clear();
        processor.processBlock(buffer, midi);
        return eventsOf(midi);
    }

    static constexpr int blockSize = 512;
    GarvoRhythmProcessor processor;
    juce::AudioBuffer<float> buffer{2, blockSize};
    juce::MidiBuffer midi;
};

TEST_F(Playback, StoppedTransportsSendNothingButVoicesRingOut)
{
    publish({{Element::Kick, {makeHit(0, 0)}}});
    processor.togglePlaying();
    runBlock();
    processor.togglePlaying();
    const auto events = runBlock();
    EXPECT_TRUE(events.empty());
    EXPECT_GT(buffer.getMagnitude(0, 0, blockSize), 0.1f);
}

TEST_F(Playback, OwnTransportRunsAtThePatternTempo)
{
    // One step (a quarter beat) of a 174 BPM pattern at 44.1 kHz lasts 3801.72 samples.
    struct Row
    {
        double tempo;
        int expectedSample;
        int noteLength;
    };
    for (const auto& row : {Row{174.0, 3801, 608}, Row{120.0, 5512, 882}, Row{0.0, 5512, 882}})
    {
        publish({{Element::Snare, {makeHit(0, 1, 100, 0.0, 38)}}}, row.tempo);
        processor.togglePlaying();
        std::vector<MidiEvent> all;
        for (int block = 0; block < 12; ++block)
            for (auto event : runBlock())
            {
                event.sample += block * blockSize;
                all.push_back(event);
            }
        processor.togglePlaying();
        ASSERT_EQ(all.size(), 2u) << row.tempo;
        EXPECT_EQ(all[0].status, 0x99);
        EXPECT_EQ(all[0].note, 38);
        EXPECT_EQ(all[0].velocity, 100);
        EXPECT_EQ(all[0].sample, row.expectedSample) << row.tempo;
        EXPECT_EQ(all[1].status, 0x89);
        // The note-off is clipped to the end of the note-on's block.
        const auto blockEnd = (row.expectedSample / blockSize + 1) * blockSize - 1;
        EXPECT_EQ(all[1].sample, std::min(row.expectedSample + row.noteLength, blockEnd)) << row.tempo;
    }
}

TEST_F(Playback, HostTransportPositionsHitsAndWrapsIntoTheLoop)
{
    FakePlayHead head;
    processor.setPlayHead(&head);
    // One bar loop at 120 BPM: 22050 samples per bar, 5512.5 per beat.
    publish({{Element::Kick, {makeHit(0, 0)}}, {Element::Clap, {makeHit(0, 0, 90, -20.0, 39)}}});
    const auto beatsPerSample = 120.0 / (44100.0 * 60.0);

    struct Row
    {
        const char* what;
        double ppq;
        int kickSample; // -1: not in this block
        int clapSample;
    };
    const Row rows[] = {
        // Positions fall half a sample before a sample boundary, so truncation picks one answer.
        {"loop boundary inside the block", 4.0 - 100.5 * beatsPerSample, 100, -1},
        // 20 ms before the boundary at 120 BPM is 0.04 beats, 882 samples early.
        {"negative offset plays before the boundary", 4.0 - 1000.5 * beatsPerSample, -1, 118},
        {"pre-roll before beat 0", -100.5 * beatsPerSample, 100, -1},
        {"far along the timeline", 400.0 - 10.5 * beatsPerSample, 10, -1},
    };
    for (const auto& row : rows)
    {
        head.ppq = row.ppq;
        int kick = -1;
        int clap = -1;
        for (const auto& event : runBlock())
            if (event.status == 0x99)
                (event.note == 36 ? kick : clap) = event.sample;
        EXPECT_EQ(kick, row.kickSample) << row.what;
        EXPECT_EQ(clap, row.clapSample) << row.what;
    }
    processor.setPlayHead(nullptr);
}

TEST_F(Playback, StoppedHostFallsBackToTheOwnTransport)
{
    FakePlayHead head;
    head.isPlaying = false;
    processor.setPlayHead(&head);
    publish({{Element::Kick, {makeHit(0, 0)}}});
    EXPECT_TRUE(runBlock().empty());
    processor.togglePlaying();
    const auto events = runBlock();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].sample, 0);
    processor.setPlayHead(nullptr);
}

TEST_F(Playback, AHitOnTheLastSampleGetsItsNoteOffOnTheSameSample)
{
    FakePlayHead head;
    processor.setPlayHead(&head);
    publish({{Element::Kick, {makeHit(0, 0)}}});
    const auto beatsPerSample = 120.0 / (44100.0 * 60.0);
    head.ppq = 4.0 - (blockSize - 0.5) * beatsPerSample;
    const auto events = runBlock();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].sample, blockSize - 1);
    EXPECT_EQ(events[1].sample, blockSize - 1);
    processor.setPlayHead(nullptr);
}

TEST_F(Playback, MutedLanesStillSendMidiButMakeNoSound)
{
    publish({{Element::Kick, {makeHit(0, 0)}}});
    processor.muted[0] = true;
    processor.togglePlaying();
    EXPECT_EQ(runBlock().size(), 2u);
    EXPECT_EQ(buffer.getMagnitude(0, 0, blockSize), 0.0f);

    processor.muted[0] = false;
    processor.togglePlaying();
    processor.togglePlaying();
    EXPECT_EQ(runBlock().size(), 2u);
    EXPECT_NEAR(buffer.getSample(0, 0), std::tanh(0.5f * 100.0f / 127.0f), 1e-4f);
    EXPECT_NEAR(buffer.getSample(1, 0), buffer.getSample(0, 0), 1e-6f);
}

TEST_F(Playback, TriggersStartAtTheirExactSample)
{
    FakePlayHead head;
    processor.setPlayHead(&head);
    publish({{Element::Kick, {makeHit(0, 0)}}});
    const auto beatsPerSample = 120.0 / (44100.0 * 60.0);
    head.ppq = 4.0 - 300.5 * beatsPerSample;
    runBlock();
    EXPECT_EQ(buffer.getMagnitude(0, 0, 300), 0.0f);
    EXPECT_GT(buffer.getSample(0, 300), 0.3f);
    processor.setPlayHead(nullptr);
}

TEST_F(Playback, OnlyTheFirst256UnmutedHitsOfABlockSoundButAllSendMidi)
{
    // 300 hits due in the first block: twenty lanes of fifteen copies of step 0.
    std::map<Element, std::vector<Hit>> hits;
    for (int element = 0; element < 20; ++element)
        hits[elementFromIndex(element)] = std::vector<Hit>(15, makeHit(0, 0));
    publish(std::move(hits));
    processor.togglePlaying();
    const auto countBefore = processor.getKit().noteCounter;
    const auto events = runBlock();
    EXPECT_EQ(events.size(), 600u);
    EXPECT_EQ(processor.getKit().noteCounter - countBefore, 256);
}

TEST_F(Playback, AudioSwitchOffCutsVoicesAndKeepsMidi)
{
    publish({{Element::Kick, {makeHit(0, 0)}}});
    processor.togglePlaying();
    runBlock();
    EXPECT_GT(buffer.getMagnitude(0, 0, blockSize), 0.1f);

    test::setParameter(processor, "audioOn", 0.0f);
    processor.togglePlaying();
    processor.togglePlaying();
    EXPECT_EQ(runBlock().size(), 2u);
    EXPECT_EQ(buffer.getMagnitude(0, 0, blockSize), 0.0f);

    test::setParameter(processor, "audioOn", 1.0f);
    runBlock();
    EXPECT_EQ(buffer.getMagnitude(0, 0, blockSize), 0.0f) << "a cut voice does not come back";
}

TEST_F(Playback, OutputGainRampsOver20Milliseconds)
{
    // A sustained voice at a known level; then -6 dB ramps in over 882 samples.
    processor.getKit().noteOnElement(Element::Kick, 36, 1.0f);
    runBlock();
    const auto level = buffer.getSample(0, blockSize - 1);
    test::setParameter(processor, "outGain", -6.0f);
    std::vector<float> out;
    for (int block = 0; block < 3; ++block)
    {
        runBlock();
        for (int i = 0; i < blockSize; ++i)
            out.push_back(buffer.getSample(0, i));
    }
    EXPECT_GT(out[100], level * 0.9f);
    EXPECT_NEAR(out[900] / level, 0.501f, 0.015f);
    EXPECT_NEAR(out[1500] / level, 0.501f, 0.015f);
}

TEST_F(Playback, IncomingMidiPassesThrough)
{
    publish({{Element::Kick, {makeHit(0, 0)}}});
    processor.togglePlaying();
    midi.clear();
    midi.addEvent(juce::MidiMessage::controllerEvent(1, 7, 100), 5);
    processor.processBlock(buffer, midi);
    int controllers = 0;
    for (const auto metadata : midi)
        controllers += metadata.getMessage().isController() ? 1 : 0;
    EXPECT_EQ(controllers, 1);
    EXPECT_EQ(midi.getNumEvents(), 3);
}
} // namespace
} // namespace garvo
