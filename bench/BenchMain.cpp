#include <benchmark/benchmark.h>
#include <juce_gui_basics/juce_gui_basics.h>

// The processor and the editor need JUCE's message manager, so the benchmarks run inside it.
int main(int argc, char** argv)
{
    const juce::ScopedJuceInitialiser_GUI juceInitialiser;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
