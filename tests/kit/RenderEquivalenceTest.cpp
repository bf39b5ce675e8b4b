#include "kit/DrumKit.h"

#include <cmath>
#include <gtest/gtest.h>
#include <vector>

namespace garvo
{
namespace
{
PadPtr noisePad(int length, juce::Random& random)
{
    auto pad = std::make_shared<Pad>();
    pad->audio.setSize(1, length);
    for (int i = 0; i < length; ++i)
        pad->audio.setSample(0, i, random.nextFloat() * 2.0f - 1.0f);
    return pad;
}

// The mix written the plain way: every output sample walks every voice in index order.
void renderReference(std::array<DrumKit::Voice, kNumVoices>& voices, std::vector<float>& out)
{
    for (auto& sample : out)
    {
        float sum = 0.0f;
        for (auto& voice : voices)
        {
            if (!voice.active)
                continue;
            const auto length = voice.pad != nullptr ? voice.pad->length() : 0;
            if (length < 2 || voice.position >= length - 1)
            {
                voice.active = false;
                continue;
            }
            const auto* s = voice.pad->audio.getReadPointer(0);
            const auto j = static_cast<int>(voice.position);
            const auto f = static_cast<float>(voice.position - j);
            const auto value = (s[j] + (s[j + 1] - s[j]) * f) * voice.envelope * voice.velocityGain;
            voice.position += voice.increment;
            voice.envelope *= voice.decayPerSample;
            if (voice.envelope < 0.0008f)
                voice.active = false;
            sum += value;
        }
        sample += std::tanh(sum);
    }
}

TEST(RenderEquivalence, BlockedMixMatchesThePlainPerSampleMixToTheBit)
{
    juce::Random random(42);
    DrumKit kit;
    kit.sampleRate = 48000.0;
    const std::vector<PadPtr> pads{noisePad(2, random), noisePad(300, random), noisePad(5000, random),
                                   noisePad(60000, random)};
    const double increments[] = {1.0, 0.91875, 1.0, 0.5, 1.0, 2.3784, 1.0, 0.25};
    const float decays[] = {0.99999f, 0.999f, 0.98f, 0.9999f};
    for (int v = 0; v < kNumVoices; ++v)
    {
        auto& voice = kit.voices[static_cast<size_t>(v)];
        voice.active = v % 7 != 3;
        voice.pad = pads[static_cast<size_t>(v) % pads.size()];
        voice.increment = increments[v % 8];
        voice.position = v % 5 == 0 ? 0.0 : v * 3.25;
        voice.envelope = 1.0f - 0.02f * static_cast<float>(v);
        voice.decayPerSample = decays[v % 4];
        voice.decayPerMixBlock = std::pow(static_cast<double>(voice.decayPerSample), 256);
        voice.velocityGain = 0.05f + 0.03f * static_cast<float>(v);
    }
    auto referenceVoices = kit.voices;

    constexpr int total = 20000;
    juce::AudioBuffer<float> buffer(1, total);
    buffer.clear();
    // Odd block sizes so blocks end at awkward places relative to the mix blocks.
    for (int start = 0, block = 1; start < total; start += block, block = block * 3 % 1000 + 17)
        kit.render(buffer, start, std::min(block, total - start));

    std::vector<float> expected(total, 0.0f);
    renderReference(referenceVoices, expected);

    for (int i = 0; i < total; ++i)
        ASSERT_EQ(buffer.getSample(0, i), expected[static_cast<size_t>(i)]) << "sample " << i;
    for (int v = 0; v < kNumVoices; ++v)
    {
        EXPECT_EQ(kit.voices[static_cast<size_t>(v)].active, referenceVoices[static_cast<size_t>(v)].active) << v;
        EXPECT_EQ(kit.voices[static_cast<size_t>(v)].envelope, referenceVoices[static_cast<size_t>(v)].envelope) << v;
    }
}
} // namespace
} // namespace garvo
