#include "kit/SampleDecoding.h"

#include <algorithm>
#include <cmath>

namespace garvo
{
namespace
{
// Multi-channel files are mixed down in blocks so the temporary buffer stays small whatever the
// file's length.
constexpr int kMixdownBlock = 16384;

void mixDown(juce::AudioFormatReader& reader, int numChannels, juce::AudioBuffer<float>& mono, int length)
{
    juce::AudioBuffer<float> block(numChannels, std::min(length, kMixdownBlock));
    const auto gain = 1.0f / static_cast<float>(numChannels);
    auto* destination = mono.getWritePointer(0);
    for (int start = 0; start < length; start += kMixdownBlock)
    {
        const auto count = std::min(kMixdownBlock, length - start);
        reader.read(block.getArrayOfWritePointers(), numChannels, start, count);
        juce::FloatVectorOperations::clear(destination + start, count);
        for (int channel = 0; channel < numChannels; ++channel)
            juce::FloatVectorOperations::addWithMultiply(destination + start, block.getReadPointer(channel), gain,
                                                         count);
    }
}
} // namespace

bool isPlausibleSampleRate(double sampleRate) noexcept
{
    return sampleRate >= kMinPlausibleSampleRate && sampleRate <= kMaxPlausibleSampleRate;
}

PadPtr readMonoPad(juce::AudioFormatReader& reader, double maxSeconds)
{
    if (!isPlausibleSampleRate(reader.sampleRate) || reader.lengthInSamples < 1)
        return nullptr;
    const auto numChannels = std::max(1, static_cast<int>(reader.numChannels));
    if (numChannels > kMaxPlausibleChannels)
        return nullptr;

    const auto cap = static_cast<juce::int64>(reader.sampleRate * maxSeconds);
    const auto length = static_cast<int>(std::min(cap, reader.lengthInSamples));
    if (length < 1)
        return nullptr;

    auto pad = std::make_shared<Pad>();
    pad->sampleRate = reader.sampleRate;
    pad->audio.setSize(1, length);
    // A reader that cannot convert its sample format leaves the buffer untouched.
    pad->audio.clear();
    if (numChannels == 1)
    {
        auto* destination = pad->audio.getWritePointer(0);
        reader.read(&destination, 1, 0, length);
    }
    else
    {
        mixDown(reader, numChannels, pad->audio, length);
    }
    return pad;
}

PadPtr decodeSampleFile(juce::AudioFormatManager& formats, const juce::File& file, double maxSeconds)
{
    if (!file.existsAsFile())
        return nullptr;
    const std::unique_ptr<juce::AudioFormatReader> reader(formats.createReaderFor(file));
    if (reader == nullptr)
        return nullptr;
    return readMonoPad(*reader, maxSeconds);
}
} // namespace garvo
