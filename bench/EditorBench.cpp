#include "plugin/PluginEditor.h"
#include "plugin/PluginProcessor.h"

#include <benchmark/benchmark.h>

namespace
{
// The heaviest grid the editor shows: all twenty lanes over eight bars, a hit on every other step.
garvo::Pattern busiestPattern()
{
    garvo::Pattern pattern;
    pattern.bars = 8;
    pattern.genre = "Amapiano";
    for (int element = 0; element < garvo::kNumElements; ++element)
    {
        auto& lane = pattern.hits[garvo::elementFromIndex(element)];
        for (int step = 0; step < pattern.bars * garvo::kStepsPerBar; step += 2)
        {
            garvo::Hit hit;
            hit.bar = step / garvo::kStepsPerBar;
            hit.step = step % garvo::kStepsPerBar;
            hit.velocity = 40 + (step * 7 + element * 13) % 88;
            hit.choked = element == static_cast<int>(garvo::Element::Open_Hat) && step % 8 == 2;
            lane.push_back(hit);
        }
    }
    return pattern;
}

// One full paint of the editor and all its children, as a window repaint after a new pattern
// does, into a software image.
void BM_EditorFullPaint(benchmark::State& state)
{
    GarvoRhythmProcessor processor;
    processor.publishPattern(busiestPattern());
    processor.muted[3] = true;
    GarvoRhythmEditor editor(processor);
    editor.setSize(GarvoRhythmEditor::kInitialWidth, GarvoRhythmEditor::kInitialHeight);
    juce::Image canvas(juce::Image::ARGB, editor.getWidth(), editor.getHeight(), true, juce::SoftwareImageType());
    {
        // The knob filmstrips are decoded on the first paint only; measure the steady state.
        juce::Graphics warmUp(canvas);
        editor.paintEntireComponent(warmUp, true);
    }

    for (auto _ : state)
    {
        juce::Graphics g(canvas);
        editor.paintEntireComponent(g, true);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_EditorFullPaint)->Unit(benchmark::kMillisecond);

// The part the 50 ms timer repaints on its own.
void BM_LaneGridPaint(benchmark::State& state)
{
    GarvoRhythmProcessor processor;
    processor.publishPattern(busiestPattern());
    LaneGrid grid(processor);
    grid.setSize(856, 524);
    juce::Image canvas(juce::Image::ARGB, grid.getWidth(), grid.getHeight(), true, juce::SoftwareImageType());

    for (auto _ : state)
    {
        juce::Graphics g(canvas);
        grid.paintEntireComponent(g, true);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_LaneGridPaint)->Unit(benchmark::kMillisecond);
} // namespace
