#include <benchmark/benchmark.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <cstdlib>

// The processor and the editor need JUCE's message manager, so the benchmarks run inside it.
int main(int argc, char** argv)
{
    // Drawing is offscreen; without DISPLAY, JUCE would otherwise attach to whatever X server is ":0".
    if (std::getenv("DISPLAY") == nullptr)
        setenv("DISPLAY", ":65535", 1);
    const juce::ScopedJuceInitialiser_GUI juceInitialiser;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
