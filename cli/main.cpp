#include "cli/Commands.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <array>
#include <iostream>

namespace garvo::cli
{
int runMakeLibrary(const juce::StringArray& args);
int runLibrary(const juce::StringArray& args);
int runMidiCommand(const juce::StringArray& args);
int runWavCommand(const juce::StringArray& args);
int runKitCommand(const juce::StringArray& args);
int runPatternCommand(const juce::StringArray& args);
int runSnapshotCommand(const juce::StringArray& args);
int runBounce(const juce::StringArray& args);
int runGenres(const juce::StringArray& args);

namespace
{
// Commands are added here as they are built; each lives in its own file.
constexpr auto kCommands = std::to_array<Command>({
    {"make-library", "synthesise the factory drum library into a folder", runMakeLibrary},
    {"library", "show the drum library that is found and its kits", runLibrary},
    {"midi", "write the pattern as a Standard MIDI File, like \"Export MIDI\" or a lane drag-out", runMidiCommand},
    {"wav", "render the pattern to a WAV file, like \"Export Audio\" or a lane drag-out", runWavCommand},
    {"kit", "write what \"Export Kit\" writes into a folder", runKitCommand},
    {"genres", "list the thirty genre names, one per line", runGenres},
    {"pattern", "print the pattern for the given values as one line of JSON", runPatternCommand},
    {"bounce", "play the pattern through the real processor and write its audio and MIDI", runBounce},
    {"snapshot", "draw the editor offscreen with the given pattern and write it as PNG", runSnapshotCommand},
});

void printUsage(std::ostream& out)
{
    out << "usage: garvo-rhythm <command> [options]\n\ncommands:\n";
    for (const auto& command : kCommands)
        out << "  " << command.name << "  " << command.synopsis << "\n";
}
} // namespace
} // namespace garvo::cli

int main(int argc, char** argv)
{
    using namespace garvo::cli;
    if (argc < 2)
    {
        printUsage(std::cerr);
        return kExitUsage;
    }
    const juce::String name(argv[1]);
    if (name == "--help" || name == "help")
    {
        printUsage(std::cout);
        return kExitOk;
    }
    juce::StringArray args;
    for (int i = 2; i < argc; ++i)
        args.add(juce::String(juce::CharPointer_UTF8(argv[i])));

    for (const auto& command : kCommands)
        if (name == command.name)
        {
            // Offscreen rendering, fonts and the processor need JUCE's singletons.
            const juce::ScopedJuceInitialiser_GUI juceInitialiser;
            return command.run(args);
        }

    std::cerr << "garvo-rhythm: unknown command '" << name << "'\n";
    printUsage(std::cerr);
    return kExitUsage;
}
