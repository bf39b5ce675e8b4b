#include "kit/DrumKit.h"
#include "kit/FactoryLibrary.h"

#include <array>
#include <benchmark/benchmark.h>
#include <memory>

namespace
{
using namespace garvo;

// The factory library, synthesised once into a temporary folder so the benchmark does not
// depend on what the build folder holds.
const juce::File& factoryLibrary()
{
    static const auto folder = []
    {
        auto root =
            juce::File::getSpecialLocation(juce::File::tempDirectory).getNonexistentChildFile("garvo-bench-drums", "");
        factory::writeLibrary(root, 2);
        return root;
    }();
    return folder;
}

struct LibraryCleanup
{
    ~LibraryCleanup() { factoryLibrary().deleteRecursively(); }
};

void BM_KitLoadFactoryLibrary(benchmark::State& state)
{
    static LibraryCleanup cleanup;
    const auto& root = factoryLibrary();
    int pads = 0;
    for (auto _ : state)
    {
        DrumKit kit;
        pads = kit.loadGenreDrumTree(root);
        benchmark::DoNotOptimize(pads);
    }
    state.counters["pads"] = pads;
}
BENCHMARK(BM_KitLoadFactoryLibrary)->Unit(benchmark::kMillisecond);

PadPtr noisePad(double seconds)
{
    auto pad = std::make_shared<Pad>();
    const auto length = static_cast<int>(seconds * 44100.0);
    pad->audio.setSize(1, length);
    juce::Random random(1);
    for (int i = 0; i < length; ++i)
        pad->audio.setSample(0, i, random.nextFloat() * 2.0f - 1.0f);
    pad->sampleRate = 44100.0;
    return pad;
}

// 32 voices at once, each at its own pitch so every voice interpolates. The voices are started
// again every few seconds of audio, before any of them ends, so all 32 always sound.
void BM_Render32Voices(benchmark::State& state)
{
    DrumKit kit;
    kit.decayScale = 100.0f;
    constexpr std::array<Element, 4> tuned{Element::Low_Tom, Element::Mid_Tom, Element::High_Tom, Element::Conga};
    for (const auto element : tuned)
        kit.setUserPad(element, noisePad(12.0));
    const auto startAll = [&kit, &tuned]
    {
        kit.allNotesOff();
        for (int i = 0; i < kNumVoices; ++i)
            kit.noteOnElement(tuned[static_cast<std::size_t>(i % 4)], 48 + i, 0.1f);
    };
    juce::AudioBuffer<float> buffer(2, 512);
    constexpr int kBlocksBetweenRestarts = 200; // about 2.3 s of audio at 44.1 kHz
    int block = 0;
    for (auto _ : state)
    {
        if (block++ % kBlocksBetweenRestarts == 0)
            startAll();
        kit.render(buffer, 0, 512);
        benchmark::DoNotOptimize(buffer.getReadPointer(0));
    }
    int active = 0;
    for (const auto& voice : kit.voices)
        active += voice.active ? 1 : 0;
    state.counters["voices"] = active;
}
BENCHMARK(BM_Render32Voices)->Unit(benchmark::kMicrosecond);
} // namespace
