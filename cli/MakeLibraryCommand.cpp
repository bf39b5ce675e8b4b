#include "cli/Commands.h"
#include "kit/FactoryLibrary.h"

#include <algorithm>
#include <iostream>
#include <thread>

namespace garvo::cli
{
namespace
{
constexpr const char* kUsage = "usage: garvo-rhythm make-library --out DIR\n"
                               "  Synthesises the factory drum library (12 kits, 360 WAV files) into DIR.\n";
}

int runMakeLibrary(const juce::StringArray& args)
{
    juce::String outPath;
    for (int i = 0; i < args.size(); ++i)
    {
        if (args[i] == "--help")
        {
            std::cout << kUsage;
            return kExitOk;
        }
        if (args[i] == "--out" && i + 1 < args.size())
        {
            outPath = args[++i];
            continue;
        }
        std::cerr << "garvo-rhythm make-library: unexpected argument '" << args[i] << "'\n" << kUsage;
        return kExitUsage;
    }
    if (outPath.isEmpty())
    {
        std::cerr << "garvo-rhythm make-library: --out DIR is required\n" << kUsage;
        return kExitUsage;
    }

    const auto root = juce::File::getCurrentWorkingDirectory().getChildFile(outPath);
    if (root.existsAsFile())
    {
        std::cerr << "garvo-rhythm make-library: " << root.getFullPathName() << " is a file, not a folder\n";
        return kExitFailure;
    }
    const auto threads = static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
    const auto result = factory::writeLibrary(root, threads);
    if (result.error.isNotEmpty())
    {
        std::cerr << "garvo-rhythm make-library: " << result.error << "\n";
        return kExitFailure;
    }
    std::cout << "wrote " << result.filesWritten << " files to " << root.getFullPathName() << "\n";
    return kExitOk;
}
} // namespace garvo::cli
