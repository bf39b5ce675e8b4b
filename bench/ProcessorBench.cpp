#include "plugin/ParameterIds.h"
#include "plugin/PluginProcessor.h"

#include <benchmark/benchmark.h>

namespace
{
int activeVoices(const garvo::DrumKit& kit)
{
    int count = 0;
    for (const auto& voice : kit.voices)
        count += voice.active ? 1 : 0;
    return count;
}

// One audio block the way a host calls it: an 8-bar pattern at full density playing on the own
// transport, with the voice pool kept full so every block mixes 32 voices.
void BM_ProcessBlock512With32Voices(benchmark::State& state)
{
    GarvoRhythmProcessor processor;
    processor.setPlainParameterValue(garvo::paramId::bars, 8.0f);
    processor.setPlainParameterValue(garvo::paramId::density, 1.0f);
    processor.prepareToPlay(44100.0, 512);
    processor.togglePlaying();
    auto& kit = processor.getKit();

    juce::AudioBuffer<float> buffer(2, 512);
    juce::MidiBuffer midi;
    midi.ensureSize(16 * 1024);
    int element = 0;
    for (auto _ : state)
    {
        state.PauseTiming();
        while (activeVoices(kit) < garvo::kNumVoices)
        {
            kit.noteOnElement(garvo::elementFromIndex(element), 60, 0.8f);
            element = (element + 1) % 6;
        }
        midi.clear();
        state.ResumeTiming();
        processor.processBlock(buffer, midi);
        benchmark::DoNotOptimize(buffer.getReadPointer(0));
    }
    state.counters["voices"] = activeVoices(kit);
    state.counters["library"] = kit.hasKits() ? 1 : 0;
}
BENCHMARK(BM_ProcessBlock512With32Voices)->Unit(benchmark::kMicrosecond);
} // namespace
