#include "export/ExportActions.h"
#include "export/MidiFileWriter.h"
#include "export/OfflineRenderer.h"
#include "kit/DrumKit.h"
#include "kit/DrumLibrary.h"
#include "rhythm/Pipeline.h"

#include <benchmark/benchmark.h>
#include <memory>

namespace
{
using namespace garvo;

Pattern patternOf(int bars, float density = 0.6f, int seed = 1)
{
    GenerationSettings settings;
    settings.bars = bars;
    settings.density = density;
    settings.seed = seed;
    return buildPattern(settings, {}).pattern;
}

int hitCount(const Pattern& pattern)
{
    int count = 0;
    for (const auto& [element, hits] : pattern.hits)
        count += static_cast<int>(hits.size());
    return count;
}

// The exports sound the library that the app finds; without it they would measure silence.
bool requireLibrary(benchmark::State& state, juce::File& library)
{
    library = findDrumTreeDir();
    if (library.getFullPathName().isEmpty())
    {
        state.SkipWithError("no drum library found next to the benchmark binary");
        return false;
    }
    return true;
}

// Goal: 20 µs for the full-kit file of an 8-bar pattern.
void BM_FullKitMidiBytesEightBars(benchmark::State& state)
{
    const auto pattern = patternOf(8);
    for (auto _ : state)
        benchmark::DoNotOptimize(fullKitMidiBytes(pattern));
    state.counters["hits"] = hitCount(pattern);
}
BENCHMARK(BM_FullKitMidiBytesEightBars);

// Goal: a 2-bar pattern renders at least 500 times faster than real time once the library is
// in memory. "realtime" is seconds of audio rendered per second of wall time.
void BM_RenderTwoBarsLibraryLoaded(benchmark::State& state)
{
    juce::File library;
    if (!requireLibrary(state, library))
        return;
    const auto pattern = patternOf(2);
    KitSnapshot sound;
    sound.libraryRoot = library;
    const auto kit = std::make_unique<DrumKit>();
    prepareRenderKit(*kit, pattern, sound);
    juce::AudioBuffer<float> buffer;
    for (auto _ : state)
    {
        renderPatternWithKit(pattern, *kit, buffer, nullptr);
        benchmark::DoNotOptimize(buffer.getReadPointer(0));
    }
    const double audioSeconds = renderLengthFor(pattern).totalSamples / kRenderSampleRate;
    state.counters["realtime"] = benchmark::Counter(audioSeconds, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_RenderTwoBarsLibraryLoaded)->Unit(benchmark::kMillisecond);

// What one export render costs as built: a private kit that locates and loads the whole library.
void BM_RenderTwoBarsWithLibraryLoad(benchmark::State& state)
{
    juce::File library;
    if (!requireLibrary(state, library))
        return;
    const auto pattern = patternOf(2);
    juce::AudioBuffer<float> buffer;
    for (auto _ : state)
    {
        renderPatternToBuffer(pattern, buffer, nullptr, {});
        benchmark::DoNotOptimize(buffer.getReadPointer(0));
    }
}
BENCHMARK(BM_RenderTwoBarsWithLibraryLoad)->Unit(benchmark::kMillisecond)->UseRealTime();

// The library load alone, the part of every render that does not depend on the pattern.
void BM_LoadFactoryLibrary(benchmark::State& state)
{
    juce::File library;
    if (!requireLibrary(state, library))
        return;
    int pads = 0;
    for (auto _ : state)
    {
        const auto kit = std::make_unique<DrumKit>();
        pads = kit->loadGenreDrumTree(library);
    }
    state.counters["pads"] = pads;
}
BENCHMARK(BM_LoadFactoryLibrary)->Unit(benchmark::kMillisecond)->UseRealTime();

// Goal: "Export Kit" of a nine-lane pattern within 1.5 s (ten renders, ten library loads and
// eleven files written).
void BM_ExportKitNineLanes(benchmark::State& state)
{
    juce::File library;
    if (!requireLibrary(state, library))
        return;
    auto pattern = patternOf(2, 1.0f);
    while (pattern.hits.size() > 9)
        pattern.hits.erase(std::prev(pattern.hits.end()));
    if (pattern.hits.size() < 9)
    {
        state.SkipWithError("the generated pattern has fewer than nine lanes");
        return;
    }
    const auto folder =
        juce::File::getSpecialLocation(juce::File::tempDirectory).getNonexistentChildFile("garvo-bench-kit", "");
    for (auto _ : state)
        benchmark::DoNotOptimize(exportKitInto(folder, pattern, {}));
    folder.deleteRecursively();
    state.counters["lanes"] = static_cast<double>(pattern.hits.size());
}
BENCHMARK(BM_ExportKitNineLanes)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
} // namespace
