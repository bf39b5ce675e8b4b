#include "AllocationCounter.h"
#include "support/ProcessorHarness.h"

#include <atomic>
#include <gtest/gtest.h>
#include <juce_audio_formats/juce_audio_formats.h>
#include <thread>

namespace garvo
{
namespace
{
// Writes a short sine as a WAV file the way a producer's own sample would arrive.
juce::File writeSampleFile(const juce::File& folder, int index)
{
    const auto file = folder.getChildFile("user" + juce::String(index) + ".wav");
    juce::AudioBuffer<float> audio(1, 2000 + index * 100);
    for (int i = 0; i < audio.getNumSamples(); ++i)
        audio.setSample(0, i, 0.5f * std::sin(0.05f * static_cast<float>(i * (index + 1))));
    juce::WavAudioFormat wav;
    std::unique_ptr<juce::AudioFormatWriter> writer(
        wav.createWriterFor(new juce::FileOutputStream(file), 44100.0, 1, 24, {}, 0));
    writer->writeFromAudioSampleBuffer(audio, 0, audio.getNumSamples());
    return file;
}

TEST(RealtimeSafety, ProcessBlockNeverAllocatesOrFreesWhileTheMessageThreadChangesThings)
{
    GarvoRhythmProcessor processor;
    test::setParameter(processor, "bars", 8.0f);
    test::setParameter(processor, "density", 1.0f);
    processor.prepareToPlay(44100.0, 512);
    processor.togglePlaying();

    const juce::TemporaryFile folderHolder;
    const auto folder = folderHolder.getFile();
    folder.createDirectory();
    const juce::File samples[] = {writeSampleFile(folder, 0), writeSampleFile(folder, 1), writeSampleFile(folder, 2)};

    juce::AudioBuffer<float> buffer(2, 512);
    juce::MidiBuffer midi;
    midi.ensureSize(64 * 1024);

    std::atomic<bool> done{false};
    std::thread messageThreadStandIn(
        [&]
        {
            int round = 0;
            while (!done.load())
            {
                processor.regeneratePattern();
                const auto element = elementFromIndex(round % kNumElements);
                processor.loadUserSampleFile(element, samples[round % 3]);
                processor.muted[static_cast<size_t>(round % kNumElements)] = (round / kNumElements) % 2 == 0;
                ++round;
            }
        });

    test::AllocationCounts total;
    int blocksWithHits = 0;
    for (int block = 0; block < 3000; ++block)
    {
        midi.clear();
        {
            const test::ScopedAllocationWatch watch;
            processor.processBlock(buffer, midi);
            const auto counts = watch.counts();
            total.allocations += counts.allocations;
            total.frees += counts.frees;
        }
        blocksWithHits += midi.isEmpty() ? 0 : 1;
    }
    done = true;
    messageThreadStandIn.join();

    EXPECT_EQ(total.allocations, 0u);
    EXPECT_EQ(total.frees, 0u);
    EXPECT_GT(blocksWithHits, 100) << "the blocks must actually schedule hits";
}
} // namespace
} // namespace garvo
