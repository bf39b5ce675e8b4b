#include "cli/Commands.h"
#include "cli/PatternJson.h"
#include "cli/PatternOptions.h"
#include "rhythm/Pipeline.h"

#include <iostream>

namespace garvo::cli
{
int runPatternCommand(const juce::StringArray& args)
{
    if (args.contains("--help") || args.contains("-h"))
    {
        std::cout << "usage: garvo-rhythm pattern [pattern options] [--raw]\n\n"
                     "Prints the pattern the plug-in would publish for these values as one line of JSON.\n\n"
                     "pattern options:\n"
                  << patternOptionsHelp()
                  << "\noptions:\n"
                     "  --raw             the pattern before humanizing (for a morph, the morph's pattern)\n";
        return kExitOk;
    }
    const auto parsed = parsePatternOptions(args, "pattern", std::cerr);
    if (!parsed)
        return kExitUsage;

    bool raw = false;
    for (const auto& argument : parsed->remaining)
    {
        if (argument != "--raw")
        {
            std::cerr << "garvo-rhythm pattern: unknown argument '" << argument
                      << "' (see garvo-rhythm pattern --help)\n";
            return kExitUsage;
        }
        raw = true;
    }

    const auto& options = parsed->options;
    const Pattern pattern = raw ? buildRawPattern(options.settings, options.morph).pattern
                                : buildPattern(options.settings, options.morph).pattern;
    std::cout << patternJson(pattern) << "\n";
    return kExitOk;
}
} // namespace garvo::cli
