#include "cli/Commands.h"
#include "rhythm/GenreDNA.h"

#include <iostream>

namespace garvo::cli
{
// Lists the genre names that --genre accepts, one per line in the app's order, so scripts can
// loop over them.
int runGenres(const juce::StringArray& args)
{
    if (!args.isEmpty())
    {
        std::cerr << "garvo-rhythm genres: takes no options\nusage: garvo-rhythm genres\n";
        return kExitUsage;
    }
    for (const auto& name : genreNames())
        std::cout << name << "\n";
    return kExitOk;
}
} // namespace garvo::cli
