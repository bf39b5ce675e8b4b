#include "export/OfflineRenderer.h"

#include "kit/DrumLibrary.h"
#include "kit/TriggeredRender.h"
#include "rhythm/GenreDNA.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <juce_audio_formats/juce_audio_formats.h>
#include <memory>

namespace garvo
{
namespace
{
// Truncates toward zero into [0, limit]; a non-finite value counts as 0.
int truncateToSamples(double value, int limit) noexcept
{
    if (!std::isfinite(value) || value <= 0.0)
        return 0;
    return static_cast<int>(std::min(std::trunc(value), static_cast<double>(limit)));
}

std::vector<KitTrigger> collectEvents(const Pattern& pattern, double samplesPerStep,
                                      const std::set<Element>* laneFilter)
{
    std::vector<KitTrigger> events;
    for (const auto& [element, hits] : pattern.hits)
    {
        if (laneFilter != nullptr && !laneFilter->contains(element))
            continue;
        for (const auto& hit : hits)
        {
            const double position = static_cast<double>(hit.bar * kStepsPerBar + hit.step) * samplesPerStep +
                                    hit.offsetMs / 1000.0 * kRenderSampleRate;
            events.push_back(
                {truncateToSamples(position, INT_MAX), element, hit.note, static_cast<float>(hit.velocity) / 127.0f});
        }
    }
    // Ties need no stable order: voices that start on the same sample sum to the same signal.
    std::sort(events.begin(), events.end(),
              [](const KitTrigger& a, const KitTrigger& b) { return a.sampleOffset < b.sampleOffset; });
    return events;
}
} // namespace

RenderLength renderLengthFor(const Pattern& pattern) noexcept
{
    // The negated comparison also renders a NaN tempo at the slowest tempo.
    const double bpm = !(pattern.tempo >= 1.0) ? 1.0 : pattern.tempo;
    RenderLength length;
    length.samplesPerStep = 60.0 / bpm * 0.25 * kRenderSampleRate;
    const double patternSamples = static_cast<double>(pattern.bars) * kStepsPerBar * length.samplesPerStep;
    length.patternSamples = truncateToSamples(patternSamples, INT_MAX - kRenderTailSamples);
    length.totalSamples = std::max(1, length.patternSamples + kRenderTailSamples);
    return length;
}

int prepareRenderKit(DrumKit& kit, const Pattern& pattern, const KitSnapshot& snapshot)
{
    kit.sampleRate = kRenderSampleRate;
    const auto root = snapshot.libraryRoot.getFullPathName().isEmpty() ? findDrumTreeDir() : snapshot.libraryRoot;
    // Only the kit that plays is decoded: the same sound as loading the whole library and
    // selecting it, at a twelfth of the cost.
    const auto kitName =
        snapshot.kitFolder.isNotEmpty() ? snapshot.kitFolder : juce::String(kitFolderForGenre(pattern.genre));
    const int loaded = kit.loadSelectedKit(root, kitName);
    if (loaded > 0)
        kit.selectKitByName(kitName);
    for (int index = 0; index < kNumElements; ++index)
    {
        const auto slot = static_cast<std::size_t>(index);
        kit.variations[slot].store(snapshot.variations[slot]);
        kit.setUserPad(elementFromIndex(index), snapshot.userPads[slot]);
    }
    kit.decayScale = snapshot.decayScale;
    kit.pitchSemitones = std::clamp(snapshot.pitchSemitones, -kMaxKitPitchSemitones, kMaxKitPitchSemitones);
    return loaded;
}

void renderPatternWithKit(const Pattern& pattern, DrumKit& kit, juce::AudioBuffer<float>& buffer,
                          const std::set<Element>* laneFilter)
{
    const auto length = renderLengthFor(pattern);
    const int total = length.totalSamples;
    buffer.setSize(2, total, false, false, false);
    buffer.clear();
    kit.allNotesOff();

    renderTriggered(kit, buffer, collectEvents(pattern, length.samplesPerStep, laneFilter), total);
}

void renderPatternToBuffer(const Pattern& pattern, juce::AudioBuffer<float>& buffer,
                           const std::set<Element>* laneFilter, const KitSnapshot& snapshot)
{
    // A private kit per render: exports never touch the kit that live playback uses.
    const auto kit = std::make_unique<DrumKit>();
    prepareRenderKit(*kit, pattern, snapshot);
    renderPatternWithKit(pattern, *kit, buffer, laneFilter);
}

std::vector<unsigned char> bufferToWavBytes(const juce::AudioBuffer<float>& buffer, double sampleRate)
{
    juce::MemoryBlock block;
    {
        juce::WavAudioFormat format;
        auto stream = std::make_unique<juce::MemoryOutputStream>(block, false);
        std::unique_ptr<juce::AudioFormatWriter> writer(format.createWriterFor(
            stream.get(), sampleRate, juce::AudioChannelSet::canonicalChannelSet(buffer.getNumChannels()), 24, {}, 0));
        if (writer == nullptr)
            return {};
        stream.release(); // the writer owns the stream now
        if (buffer.getNumSamples() > 0)
            writer->writeFromAudioSampleBuffer(buffer, 0, buffer.getNumSamples());
        // Destroying the writer completes the header and trims the block to the bytes written.
    }
    const auto* bytes = static_cast<const unsigned char*>(block.getData());
    return {bytes, bytes + block.getSize()};
}

std::vector<unsigned char> renderElementWav(const Pattern& pattern, Element element, const KitSnapshot& snapshot)
{
    const std::set<Element> lane{element};
    juce::AudioBuffer<float> buffer;
    renderPatternToBuffer(pattern, buffer, &lane, snapshot);
    return bufferToWavBytes(buffer);
}
} // namespace garvo
