#include "support/ProcessorHarness.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace garvo
{
namespace
{
// Audio and message threads share the pattern (try-lock), the mutes and the variations (atomics).
// Run under ThreadSanitizer (make test-tsan) this proves the sharing is race free.
TEST(Concurrency, PlaybackRunsCleanWhileTheMessageThreadRegeneratesCopiesAndEdits)
{
    GarvoRhythmProcessor processor;
    test::setParameter(processor, "bars", 4.0f);
    test::setParameter(processor, "density", 1.0f);
    processor.prepareToPlay(48000.0, 256);
    processor.togglePlaying();

    std::atomic<bool> done{false};
    std::atomic<long> blocks{0};
    std::atomic<long> notes{0};
    std::thread audioThread(
        [&]
        {
            juce::AudioBuffer<float> buffer(2, 256);
            juce::MidiBuffer midi;
            midi.ensureSize(16 * 1024);
            while (!done.load())
            {
                midi.clear();
                processor.processBlock(buffer, midi);
                notes += midi.getNumEvents();
                ++blocks;
                for (int channel = 0; channel < 2; ++channel)
                    for (int i = 0; i < buffer.getNumSamples(); ++i)
                        ASSERT_TRUE(std::isfinite(buffer.getSample(channel, i)));
            }
        });

    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    int round = 0;
    size_t lanesSeen = 0;
    while (std::chrono::steady_clock::now() < until)
    {
        processor.regeneratePattern();
        lanesSeen += processor.getCurrentPatternCopy().hits.size();
        processor.muted[static_cast<size_t>(round % kNumElements)] = round % 3 == 0;
        processor.getKit().variations[static_cast<size_t>(round % kNumElements)] = round % kNumVariations;
        if (round % 50 == 0)
            processor.setMorphPosition(static_cast<float>(round % 7) / 6.0f, 0.3f);
        ++round;
    }
    done = true;
    audioThread.join();

    EXPECT_GT(blocks.load(), 100);
    EXPECT_GT(notes.load(), 0);
    EXPECT_GT(lanesSeen, 0u);
}
} // namespace
} // namespace garvo
